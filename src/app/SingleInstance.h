#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace vantrel {

// One launcher per user and simulated Mac: a second start hands its documents to the
// running one (which brings its panel forward) and ends, as a second open of an
// application does on a Mac.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    // The server's name for this user and `key`: the bundle identifier on a Mac, the
    // simulated Mac's absolute folder elsewhere. It never depends on the working folder,
    // which differs between a start from the Finder and one from a Terminal.
    static QString serverName(const QString& key);

    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Hands `paths` to a running launcher; false when none answers.
    bool forward(const QStringList& paths) const;
    // Becomes the running launcher: `onDocuments` gets what later starts hand over. False
    // when another launcher answers under the name after all.
    bool listen(std::function<void(const QStringList& paths)> onDocuments);
    // No more documents: the name is given up, so that a later start finds nobody.
    void stopListening();

private:
    QString m_name;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace vantrel
