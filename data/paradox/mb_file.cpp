#include "mb_file.h"

#include "db_error.h"

#include <QFileInfo>
#include <QtEndian>

namespace {

constexpr int kPointerSize = 10;
constexpr qint64 kBlockSize = 4096;
constexpr int kSingleBlob = 2;
constexpr int kSubAllocated = 3;
constexpr int kSubBlobEntries = 64;
constexpr int kEntryTable = 12; // where the entries of a shared block begin
constexpr int kEntrySize = 5;

} // namespace

MbFile::MbFile(const QString &path)
{
    if (path.isEmpty())
        return;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly))
        throw EDatabaseError(QStringLiteral("'%1' blob dosyası açılamadı: %2").arg(QFileInfo(path).fileName(), m_file.errorString()));
    m_size = m_file.size();
    if (m_size > 0) {
        m_data = m_file.map(0, m_size);
        if (!m_data)
            throw EDatabaseError(QStringLiteral("'%1' blob dosyası okunamadı: %2").arg(QFileInfo(path).fileName(), m_file.errorString()));
    }
}

MbFile::~MbFile() = default;

const uchar *MbFile::at(qint64 offset, qint64 count) const
{
    if (!m_data)
        throw EDatabaseError(QStringLiteral("blob dosyası (.mb) yok, ama alan oradaki bir bloba işaret ediyor."));
    if (offset < 0 || count < 0 || offset > m_size || count > m_size - offset)
        throw EDatabaseError(QStringLiteral("blob dosyası eksik: %1. bayttan %2 bayt okunamıyor (dosya %3 bayt).")
                                 .arg(offset).arg(count).arg(m_size));
    return m_data + offset;
}

QByteArray MbFile::Blob(const char *field, int length) const
{
    const int leading = length - kPointerSize;
    const auto *pointer = reinterpret_cast<const uchar *>(field + leading);
    const quint32 offset = qFromLittleEndian<quint32>(pointer);
    const quint32 size = qFromLittleEndian<quint32>(pointer + 4);
    const quint16 mod = qFromLittleEndian<quint16>(pointer + 8);
    if (size == 0)
        return QByteArray();
    if (offset == 0) {
        // Short enough to live in the row alone.
        if (size > quint32(leading))
            throw EDatabaseError(QStringLiteral("blob işaretçisi bozuk: %1 baytlık blob satırda yer almıyor.").arg(size));
        return QByteArray(field, int(size));
    }
    const int index = int(offset & 0xff);
    const quint32 block = offset & ~quint32(0xff);
    return index == 0xff ? singleBlob(block, size, mod) : subAllocatedBlob(block, index, size, mod);
}

QByteArray MbFile::singleBlob(quint32 block, quint32 size, quint16 mod) const
{
    // type, number of blocks (16 bits), length (32 bits), modification number (16 bits)
    const uchar *head = at(block, 9);
    const int blocks = qFromLittleEndian<quint16>(head + 1);
    const quint32 stored = qFromLittleEndian<quint32>(head + 3);
    const quint16 storedMod = qFromLittleEndian<quint16>(head + 7);
    if (head[0] != kSingleBlob || stored != size || storedMod != mod || 9 + qint64(size) > blocks * kBlockSize)
        throw EDatabaseError(QStringLiteral("blob dosyası bozuk: %1. bayttaki blok işaretçinin gösterdiği blob değil.").arg(block));
    return QByteArray(reinterpret_cast<const char *>(at(block + 9, size)), int(size));
}

QByteArray MbFile::subAllocatedBlob(quint32 block, int index, quint32 size, quint16 mod) const
{
    // Each entry: data offset in 16-byte units, length in 16-byte units,
    // modification number (16 bits), length modulo 16.
    const uchar *head = at(block, kEntryTable + kSubBlobEntries * kEntrySize);
    if (head[0] != kSubAllocated || index >= kSubBlobEntries)
        throw EDatabaseError(QStringLiteral("blob dosyası bozuk: %1. bayttaki blok paylaşılan bir blok değil.").arg(block));
    const uchar *entry = head + kEntryTable + index * kEntrySize;
    const quint32 start = quint32(entry[0]) * 16;
    const int units = entry[1];
    const quint16 storedMod = qFromLittleEndian<quint16>(entry + 2);
    const int rest = entry[4];
    const quint32 stored = rest ? quint32(units - 1) * 16 + rest : quint32(units) * 16;
    if (units == 0 || stored != size || storedMod != mod || start + size > kBlockSize)
        throw EDatabaseError(QStringLiteral("blob dosyası bozuk: %1. bayttaki bloğun %2. girişi işaretçinin gösterdiği blob değil.")
                                 .arg(block).arg(index));
    return QByteArray(reinterpret_cast<const char *>(at(block + start, size)), int(size));
}
