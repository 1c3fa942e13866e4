#include "data/outputfile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <windows.h>

#include <shellapi.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int kLinkDepth = 40; // as the system's own limit on links followed in one path

// A name that Qt's own file functions hand to the system as it is (any name, except on Unix one
// that holds bytes that are not UTF-8).
bool qtSpells(const QString &path) {
    return QFile::encodeName(path) == fileNameToSystem(path);
}

fs::path nativePath(const QString &path) {
#ifdef Q_OS_WIN
    return fs::path(path.toStdWString());
#else
    return fs::path(fileNameToSystem(path).toStdString());
#endif
}

QString fromNativePath(const fs::path &path) {
#ifdef Q_OS_WIN
    return QString::fromStdWString(path.wstring());
#else
    return fileNameFromSystem(QByteArray::fromStdString(path.string()));
#endif
}

// The file that `path` leads to once every symbolic link is followed, also when that file is not
// made yet.
fs::path resolved(fs::path path) {
    std::error_code error;
    for (int depth = 0; depth < kLinkDepth && fs::is_symlink(fs::symlink_status(path, error));
         ++depth) {
        const fs::path link = fs::read_symlink(path, error);
        if (error) break;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return path;
}

// A device, a named pipe or a socket: written in place, never replaced.
bool writtenInPlace(const fs::path &path) {
    std::error_code error;
    const fs::file_type type = fs::status(path, error).type();
    return !error && type != fs::file_type::regular && type != fs::file_type::directory &&
           type != fs::file_type::not_found;
}

// Opens, through the C library, a file whose name Qt cannot spell.
bool openNative(QFile &file, const QString &path, const char *mode, QIODevice::OpenMode openMode) {
    std::FILE *handle = std::fopen(fileNameToSystem(path).constData(), mode);
    if (!handle) return false;
    if (file.open(handle, openMode, QFileDevice::AutoCloseHandle)) return true;
    const int cause = errno;
    std::fclose(handle);
    errno = cause;
    return false;
}

#ifdef Q_OS_UNIX

// The length of the valid UTF-8 sequence at `p` (no overlong form, no surrogate), 0 if none.
int sequenceLength(const uchar *p, qsizetype left) {
    const uchar lead = p[0];
    if (lead < 0x80) return 1;
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || left < length || lead > 0xF4) return 0;
    char32_t code = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        code = code << 6 | (p[i] & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

#endif

} // namespace

QString fileNameFromSystem(const QByteArray &name) {
#ifdef Q_OS_UNIX
    const auto *bytes = reinterpret_cast<const uchar *>(name.constData());
    QString text;
    text.reserve(name.size());
    qsizetype run = 0; // the start of the valid bytes not added yet
    for (qsizetype i = 0; i < name.size();) {
        const int length = sequenceLength(bytes + i, name.size() - i);
        if (length > 0) {
            i += length;
            continue;
        }
        text += QString::fromUtf8(name.constData() + run, i - run);
        text += QChar(char16_t(0xDC00 + bytes[i]));
        run = ++i;
    }
    return text + QString::fromUtf8(name.constData() + run, name.size() - run);
#else
    return QFile::decodeName(name);
#endif
}

QByteArray fileNameToSystem(const QString &name) {
#ifdef Q_OS_UNIX
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype run = 0; // the start of the characters not added yet
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c < 0xDC80 || c > 0xDCFF || (i > 0 && name[i - 1].isHighSurrogate())) continue;
        bytes += QStringView(name).sliced(run, i - run).toUtf8();
        bytes += char(c - 0xDC00);
        run = i + 1;
    }
    return bytes + QStringView(name).sliced(run).toUtf8();
#else
    return QFile::encodeName(name);
#endif
}

QStringList commandLineArguments(int argc, char *argv[]) {
    QStringList arguments;
#ifdef Q_OS_WIN
    Q_UNUSED(argv)
    int count = 0;
    if (wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            arguments << QString::fromWCharArray(wide[i]);
        LocalFree(wide);
        return arguments;
    }
#endif
    for (int i = 1; i < argc; ++i)
        arguments << fileNameFromSystem(argv[i]);
    return arguments;
}

bool openForReading(QFile &file, const QString &path) {
    if (!qtSpells(path)) return openNative(file, path, "rb", QIODevice::ReadOnly);
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
}

OutputFile::OutputFile(const QString &path) : m_path(path) {
}

OutputFile::~OutputFile() {
    cancel();
}

bool OutputFile::open() {
    if (writtenInPlace(nativePath(m_path))) {
        // Opened for appending, without truncation (which means nothing to a device or a pipe).
        auto file = std::make_unique<QFile>(m_path);
#ifdef Q_OS_UNIX
        const bool opened = openNative(*file, m_path, "ab", QIODevice::WriteOnly);
#else
        const bool opened = file->open(QIODevice::WriteOnly);
#endif
        if (!opened) return fail();
        m_file = std::move(file);
        return true;
    }
    const fs::path target = resolved(nativePath(m_path));
    const QString targetName = fromNativePath(target);
    if (qtSpells(targetName)) {
        auto file = std::make_unique<QSaveFile>(targetName);
        if (!file->open(QIODevice::WriteOnly)) return fail();
        m_file = std::move(file);
        return true;
    }
    // A name that Qt cannot spell is replaced here the way QSaveFile replaces the others: an
    // existing file that may not be written stays, and the new one keeps its permissions.
    std::error_code error;
    const fs::file_status former = fs::status(target, error);
    const bool exists = !error && fs::exists(former);
    QFile probe;
    if (exists && !openNative(probe, targetName, "ab", QIODevice::WriteOnly)) return fail();
    probe.close();
    auto file = std::make_unique<QFile>();
    bool opened = false;
    for (int attempt = 0; !opened && attempt < 100; ++attempt) {
        m_temporary =
            targetName + u'.' + QString::number(QRandomGenerator::global()->generate(), 36);
        opened = openNative(*file, m_temporary, "wbx", QIODevice::WriteOnly);
        if (!opened && errno != EEXIST) break;
    }
    if (!opened) {
        m_temporary.clear();
        return fail();
    }
    if (exists) fs::permissions(nativePath(m_temporary), former.permissions(), error);
    m_file = std::move(file);
    m_target = targetName;
    return true;
}

QIODevice &OutputFile::device() {
    return *m_file;
}

bool OutputFile::commit() {
    if (!m_file) return false;
    // The explicit flush matters: a write that the disk cuts short while commit() empties the
    // buffer is not reported by commit(), which would then put the truncated file in place.
    if (!m_file->flush()) return fail();
    if (auto *save = qobject_cast<QSaveFile *>(m_file.get())) {
        if (!save->commit()) return fail();
        m_file.reset();
        return true;
    }
    m_file->close();
    if (m_file->error() != QFileDevice::NoError) return fail();
    m_file.reset();
    if (!m_temporary.isEmpty()) {
        std::error_code error;
        fs::rename(nativePath(m_temporary), nativePath(m_target), error);
        if (error) {
            errno = error.value();
            return fail();
        }
        m_temporary.clear();
    }
    return true;
}

void OutputFile::cancel() {
    if (auto *save = qobject_cast<QSaveFile *>(m_file.get())) save->cancelWriting();
    m_file.reset(); // a QSaveFile removes its temporary file
    if (!m_temporary.isEmpty()) {
        std::error_code error;
        fs::remove(nativePath(m_temporary), error);
    }
    m_temporary.clear();
}

bool OutputFile::fail() {
    m_error = errno; // before cancelling, which may touch it
    cancel();
    errno = m_error;
    return false;
}
