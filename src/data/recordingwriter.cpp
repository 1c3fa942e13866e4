#include "data/recordingwriter.h"

#include "data/filereason.h"

#include <QFileDevice>
#include <QIODevice>

#include <cerrno>

namespace {

// Blocks read and written at once: a megabyte, or for a smaller recording on a file or in memory
// its own size (at least kSmallestBlock), so that converting a few lines takes no megabytes.
constexpr qsizetype kLargestBlock = 1 << 20;
constexpr qsizetype kSmallestBlock = 4096;

qsizetype blockSize(const QIODevice &recording) {
    if (recording.isSequential()) return kLargestBlock; // its size is not known beforehand
    return qBound<qint64>(kSmallestBlock, recording.bytesAvailable(), kLargestBlock);
}

} // namespace

RecordingWriter::RecordingWriter(QIODevice &recording, QIODevice &out)
    : m_recording(recording), m_output(out) {
}

bool RecordingWriter::start(const QByteArray &header) {
    if (!m_recording.isReadable()) {
        m_report.readError = true;
        m_report.error = QStringLiteral("L'enregistrement n'est pas ouvert en lecture.");
        return false;
    }
    if (!m_output.isWritable()) {
        m_report.writeError = true;
        m_report.error = QStringLiteral("Le fichier tableur n'est pas ouvert en écriture.");
        return false;
    }
    const qsizetype block = blockSize(m_recording);
    m_in.resize(block);
    // The header starts the output block, with a whole block free behind it.
    m_out = header;
    m_used = m_out.size();
    m_out.resize(m_used + block);
    m_block = m_out.data();
    return true;
}

qint64 RecordingWriter::read() {
    if (!m_report.ok()) return 0;
    const qint64 got = m_recording.read(m_in.data(), m_in.size());
    if (got < 0) {
        m_report.readError = true;
        m_report.error = QStringLiteral("La lecture de l'enregistrement a échoué.");
        return 0;
    }
    return got;
}

void RecordingWriter::flush() {
    if (m_used > 0 && m_report.ok() && m_output.write(m_block, m_used) != m_used) failWrite();
    m_used = 0;
}

void RecordingWriter::finish() {
    flush();
    auto *file = qobject_cast<QFileDevice *>(&m_output);
    if (m_report.ok() && file && !file->flush()) failWrite();
}

// The system's reason when the device is a file (errno is only meaningful then).
void RecordingWriter::failWrite() {
    const int cause = errno;
    const bool file = qobject_cast<QFileDevice *>(&m_output) != nullptr;
    m_report.writeError = true;
    m_report.error = QStringLiteral("L'écriture du fichier tableur a échoué : %1.")
                         .arg(file ? filereason::systemReason(cause)
                                   : QStringLiteral("le support n'accepte plus de données"));
}
