// libFuzzer target for the extractor: every input is written out as an archive
// and unpacked into an empty folder. Fails on a crash, a sanitizer report, a
// second or missing finished(), a progress outside 0..100, or any file-system
// change outside that folder.
//
// The guard sits below Qt: the calls Qt makes to change the file system are
// interposed here and checked against the destination before they reach libc.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "zipmanager.h"

namespace {

bool guarding = false;
std::string allowedRoot; // real path of the destination, with a trailing '/'

void refuse(const char *call, const char *path)
{
    std::fprintf(stderr, "fuzz_unzip: %s(\"%s\") outside the destination %s\n", call, path,
                 allowedRoot.c_str());
    std::abort();
}

// Resolves what exists of the path (no link can be made during a run, so the
// last component is never one) and checks that the destination holds the result.
void check(const char *call, const char *path)
{
    if (!guarding)
        return;
    std::error_code error;
    const std::string target = std::filesystem::weakly_canonical(path, error).string() + "/";
    if (error)
        return; // the call itself fails the same way (a name too long, say)
    if (target.compare(0, allowedRoot.size(), allowedRoot) != 0)
        refuse(call, path);
}

} // namespace

// The next definition of `name` after ours: libc's.
#define NEXT(name) reinterpret_cast<decltype(&name)>(dlsym(RTLD_NEXT, #name))

extern "C" {

int open64(const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const auto mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
    if (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC))
        check("open", path);
    return NEXT(open64)(path, flags, mode);
}

// Same signature on 64-bit Linux; Qt may call either.
int open(const char *path, int flags, ...) __attribute__((alias("open64")));

// A call that changes the file system at `path`, checked before libc's runs.
#define GUARDED(name, params, args, path) \
    int name params                         \
    {                                       \
        check(#name, path);                 \
        return NEXT(name) args;             \
    }

GUARDED(mkdir, (const char *path, mode_t mode), (path, mode), path)
GUARDED(unlink, (const char *path), (path), path)
GUARDED(rmdir, (const char *path), (path), path)
GUARDED(link, (const char *from, const char *to), (from, to), to)

int rename(const char *from, const char *to)
{
    check("rename", from);
    check("rename", to);
    return NEXT(rename)(from, to);
}

// Qt renames through renameat2 relative to the working folder; check() cannot
// resolve paths relative to another folder descriptor.
int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned flags)
{
    if (guarding && (fromDir != AT_FDCWD || toDir != AT_FDCWD))
        refuse("renameat2", to);
    check("renameat2", from);
    check("renameat2", to);
    return NEXT(renameat2)(fromDir, from, toDir, to, flags);
}

int symlink(const char *target, const char *path)
{
    // The extractor never makes links: a link is how a later entry escapes.
    if (guarding)
        refuse("symlink", path);
    return NEXT(symlink)(target, path);
}

int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    // An input of a few KiB can still inflate to a great deal; keep each file small.
    rlimit limit{64 << 20, 64 << 20};
    setrlimit(RLIMIT_FSIZE, &limit);
    return 0;
}

int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir sandbox;
    const QString archive = sandbox.filePath(QStringLiteral("in.zip"));
    const QString destPath = sandbox.filePath(QStringLiteral("dest"));
    QFile file(archive);
    if (!file.open(QIODevice::WriteOnly) || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        std::abort();
    file.close();
    QDir().mkpath(destPath);
    allowedRoot = QFile::encodeName(QDir(destPath).canonicalPath()).toStdString() + "/";

    ZipWorker worker(archive, destPath);
    int finishes = 0;
    int lastProgress = 0;
    QObject::connect(&worker, &ZipWorker::finished, [&] { ++finishes; });
    QObject::connect(&worker, &ZipWorker::progressChanged, [&](int p) {
        if (p < lastProgress || p > 100)
            std::abort();
        lastProgress = p;
    });

    guarding = true;
    worker.process();
    guarding = false;

    if (finishes != 1)
        std::abort();
    const QStringList beside = QDir(sandbox.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    if (beside != QStringList{QStringLiteral("dest"), QStringLiteral("in.zip")})
        std::abort();
    QDir(destPath).removeRecursively();
    return 0;
}

} // extern "C"
