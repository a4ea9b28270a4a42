// Helpers shared by the fuzz targets.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace zek::fuzz {

// A private folder for the files a target writes, removed when the process ends.
inline const QString& scratchDir() {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/zek-fuzz-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a scratch folder\n");
        std::abort();
    }
    static const QString path = dir.path();
    return path;
}

inline QByteArray bytesOf(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A broken promise of the code under test: reported as a crash, with the reason.
[[noreturn]] inline void fail(const char* what, const QString& detail) {
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s: %s\n", what, detail.toUtf8().constData());
    std::abort();
}

// Each target's check is a plain function, so that a regression test runs saved inputs through the
// very same code.
int dialectInput(const uint8_t* data, size_t size);
int workFileInput(const uint8_t* data, size_t size);
int valueEntryInput(const uint8_t* data, size_t size);
int profileInput(const uint8_t* data, size_t size);
int shortNamesInput(const uint8_t* data, size_t size);

// A work file as the program saves one, with a few settings filled in: the opener's first seed.
void writeWorkFileSeed(const QString& target);

} // namespace zek::fuzz

#ifdef ZEK_FUZZ_REGRESSION
#define ZEK_FUZZ_ENTRY(check)
#else
#define ZEK_FUZZ_ENTRY(check)                                                                                \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {                                \
        return check(data, size);                                                                            \
    }
#endif
