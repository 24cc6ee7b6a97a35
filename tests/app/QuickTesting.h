#pragma once

// Reading what a Qt Quick window shows, for the shell's offscreen tests.
#include "app/PlatformWindowing.h"
#include "support/HostObjects.h"
#include "text/LocalizationStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QMimeData>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace vantrel::testing {

// This build's window system, journaling the levels and backdrop fades the shell asks for
// ("level 3", "backdrop in 0"), with a monitor of other applications' clicks that the test
// fires (`outsideClick`) and a mouse button it holds (`buttonDown`).
class RecordingWindowing final : public PlatformWindowing {
public:
    QStringList journal;
    std::function<void(QPoint)> outsideClick;
    bool buttonDown = false;

    void configurePanel(QWindow& window, int cornerRadius) override { m_real->configurePanel(window, cornerRadius); }
    void setLevel(QWindow& window, WindowLevel level) override
    {
        journal << QStringLiteral("level %1").arg(int(level));
        m_real->setLevel(window, level);
    }
    bool hasBlurBehindWindow() const override { return m_real->hasBlurBehindWindow(); }
    void fadeBackdrop(QWindow& window, bool visible, Duration duration) override
    {
        journal << QStringLiteral("backdrop %1 %2")
                       .arg(visible ? QStringLiteral("in") : QStringLiteral("out"))
                       .arg(inSeconds(duration));
        m_real->fadeBackdrop(window, visible, duration);
    }
    bool isMouseButtonDown() const override { return buttonDown; }
    bool installOutsideClickMonitor(std::function<void(QPoint)> onClick) override
    {
        outsideClick = std::move(onClick);
        return true;
    }
    bool installMenuTrackingObservers(std::function<void(bool)> onTracking) override
    {
        return m_real->installMenuTrackingObservers(std::move(onTracking));
    }
    void activateApplication() override
    {
        journal << QStringLiteral("activate");
        m_real->activateApplication();
    }

private:
    std::unique_ptr<PlatformWindowing> m_real = PlatformWindowing::make();
};

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

// A drag of `urls` over the window that is let go at `at`, as the window system sends it.
inline void dropOn(QQuickWindow& window, QPoint at, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &move);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &dropped);
    settle();
}

// With VANTREL_SCREENSHOT_DIR set, keeps "<stem>-ru.png" and "<stem>-en.png" of the window
// there; `prepare` makes anew what is kept in the language it came in (a message).
inline void shotInBothLanguages(QQuickWindow& window, const QString& stem, const std::function<void()>& prepare = {})
{
    const QString folder = qEnvironmentVariable("VANTREL_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        return;
    }
    QDir().mkpath(folder);
    LocalizationStore& store = test::localization();
    const QString language = store.languageCode();
    for (const QString& code : {QStringLiteral("ru"), QStringLiteral("en")}) {
        store.setLanguageCode(code);
        settle();
        if (prepare) {
            prepare();
        }
        QTest::qWait(250); // fades finish
        window.grabWindow().save(folder + u'/' + stem + u'-' + code + QStringLiteral(".png"));
    }
    store.setLanguageCode(language);
    settle();
}

} // namespace vantrel::testing
