#pragma once

// Reading what a Qt Quick window shows, for the shell's offscreen tests.
#include <QCoreApplication>
#include <QQuickItem>
#include <QQuickWindow>

#include <gtest/gtest.h>

#include <functional>

namespace vantrel::testing {

inline void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// Every text the user can see in the window.
inline QStringList visibleTexts(QQuickWindow& window)
{
    QStringList found;
    std::function<void(QQuickItem*)> walk = [&](QQuickItem* item) {
        if (!item->isVisible()) {
            return;
        }
        // Anything that carries a text: texts, labels, buttons, check boxes, fields.
        const QVariant text = item->property("text");
        if (text.typeId() == QMetaType::QString && !text.toString().isEmpty()) {
            found << text.toString();
        }
        for (QQuickItem* child : item->childItems()) {
            walk(child);
        }
    };
    walk(window.contentItem());
    return found;
}

// The item of that object name; delegates are found too (they are no QObject children).
inline QQuickItem* findItem(QQuickItem* root, const QString& name)
{
    for (QQuickItem* child : root->childItems()) {
        if (child->objectName() == name) {
            return child;
        }
        if (QQuickItem* found = findItem(child, name)) {
            return found;
        }
    }
    return nullptr;
}

inline QQuickItem* requireItem(QQuickWindow& window, const QString& name, QQuickItem* under = nullptr)
{
    if (QQuickItem* found = findItem(under ? under : window.contentItem(), name)) {
        return found;
    }
    ADD_FAILURE() << "no item " << name.toStdString();
    static QQuickItem none;
    return &none;
}

} // namespace vantrel::testing
