#pragma once
// Helpers for tests that build real images with real tools (mkfs.fat, mtools, mkntfs, ...).

#include <QByteArray>
#include <QString>
#include <QStringList>

// True when program is on PATH (or an absolute path that exists and is executable).
bool test_have_tool(const QString &program);

// Runs program with args (optionally with extra environment "NAME=value" entries), waits up to
// timeout_ms; returns the exit code, or -1 when it could not start or timed out. Output is
// collected into *output (stdout and stderr merged) when given.
int test_run_tool(const QString &program, const QStringList &args, QByteArray *output = nullptr,
                  int timeout_ms = 120000, const QStringList &extra_env = {});

// Creates a file of size bytes filled with zeros (sparse).
bool test_make_sparse_file(const QString &path, qint64 size);

// Reads a whole file; empty on failure.
QByteArray test_read_file(const QString &path);
// Writes a whole file; false on failure.
bool test_write_file(const QString &path, const QByteArray &bytes);

// The source tree and the built executables (set by the test environment).
QString test_source_dir();
QString test_bin_dir();

// Skips the current Qt Test with a clear line when a tool is missing.
#define VORN_REQUIRE_TOOL(tool)                                                                   \
    do {                                                                                          \
        if (!test_have_tool(QStringLiteral(tool)))                                                \
            QSKIP("'" tool "' is not installed");                                                 \
    } while (0)
