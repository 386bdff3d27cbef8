#include "tests/support/test_tools.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

bool test_have_tool(const QString &program)
{
    if (program.startsWith(QLatin1Char('/')))
        return QFileInfo(program).isExecutable();
    return !QStandardPaths::findExecutable(program).isEmpty() ||
           !QStandardPaths::findExecutable(program, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")}).isEmpty();
}

int test_run_tool(const QString &program, const QStringList &args, QByteArray *output,
                  int timeout_ms, const QStringList &extra_env)
{
    QProcess proc;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), env.value(QStringLiteral("PATH")) + QStringLiteral(":/usr/sbin:/sbin"));
    for (const QString &e : extra_env)
        env.insert(e.section(QLatin1Char('='), 0, 0), e.section(QLatin1Char('='), 1));
    proc.setProcessEnvironment(env);
    proc.setProcessChannelMode(QProcess::MergedChannels);
    QString exe = QStandardPaths::findExecutable(program);
    if (exe.isEmpty())
        exe = QStandardPaths::findExecutable(program, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (exe.isEmpty())
        exe = program;
    proc.start(exe, args);
    if (!proc.waitForStarted(10000))
        return -1;
    if (!proc.waitForFinished(timeout_ms)) {
        proc.kill();
        proc.waitForFinished(5000);
        return -1;
    }
    if (output)
        *output = proc.readAll();
    return proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -1;
}

bool test_make_sparse_file(const QString &path, qint64 size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.resize(size);
}

QByteArray test_read_file(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool test_write_file(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QString test_source_dir() { return qEnvironmentVariable("VORN_SOURCE_DIR"); }

QString test_bin_dir() { return qEnvironmentVariable("VORN_BIN_DIR"); }
