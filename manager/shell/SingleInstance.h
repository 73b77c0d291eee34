// One Sendaro per Windows root: an atomic lock file in the root decides, and the copy that
// holds it listens on a local socket named after the root, so that a second start can bring
// its window to the front before it gives up.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // For the root `rootDirectory` (created when missing).
    explicit SingleInstance(const QString &rootDirectory, QObject *parent = nullptr);
    ~SingleInstance() override;

    // The lock file of the root: whoever holds it may write the root's database.
    static QString LockFilePath(const QString &rootDirectory);

    // True when this process now holds the root's lock. False when another copy does; that
    // copy has been asked to show its window.
    bool Acquire();

signals:
    // A second start asked this copy to show its window.
    void activationRequested();

private:
    QString m_socketName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};
