// One running copy per user: a second holder is refused, and the lock dies with its holder.

#include "platform/single_instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QtTest>

#include <cstdio>
#include <cstring>
#include <unistd.h>

class test_single_instance : public QObject {
    Q_OBJECT
    const QString name = QStringLiteral("VornRecoveryTest-%1").arg(QCoreApplication::applicationPid());

    // Starts this program as a holder of the lock; returns once it holds it (or failed to).
    bool start_holder(QProcess &holder)
    {
        holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold"), name});
        return holder.waitForReadyRead(10000) && holder.readAll().startsWith("held");
    }

private Q_SLOTS:
    void path_in_runtime_folder_data()
    {
        QTest::addColumn<QByteArray>("runtime");
        QTest::addColumn<QString>("expected");
        const QString tmp = QDir::tempPath();
        QTest::newRow("set") << tmp.toUtf8() << tmp + QStringLiteral("/VornRecovery.lock");
        QTest::newRow("unset") << QByteArray()
                               << tmp + QStringLiteral("/VornRecovery-%1.lock").arg(getuid());
        QTest::newRow("missing folder") << QByteArray("/nonexistent/run")
                                        << tmp + QStringLiteral("/VornRecovery-%1.lock").arg(getuid());
    }
    void path_in_runtime_folder()
    {
        QFETCH(QByteArray, runtime);
        QFETCH(QString, expected);
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime);
        const QString got = single_instance_path(QStringLiteral("VornRecovery"));
        qputenv("XDG_RUNTIME_DIR", saved);
        QCOMPARE(got, expected);
    }

    void second_holder_refused_until_first_dies()
    {
        QProcess holder;
        QVERIFY(start_holder(holder));
        QCOMPARE(single_instance_acquire(name), -1);
        holder.kill(); // no clean-up runs: the kernel drops the lock
        QVERIFY(holder.waitForFinished(10000));
        QCOMPARE(single_instance_acquire(name), 0);
        // Now this process holds it: another holder, even in this process, is refused.
        QCOMPARE(single_instance_acquire(name), -1);
        QProcess second;
        second.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold"), name});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.readAll(), QByteArray("refused\n"));
        QFile::remove(single_instance_path(name));
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--hold") == 0) {
        if (single_instance_acquire(QString::fromUtf8(argv[2])) != 0) {
            std::puts("refused");
            return 1;
        }
        std::puts("held");
        std::fflush(stdout);
        pause();
        return 0;
    }
    QCoreApplication app(argc, argv);
    test_single_instance t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_single_instance.moc"
