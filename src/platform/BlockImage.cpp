#include "BlockImage.h"

#include "AtomicFile.h"
#include "Cp1250.h"

#include <QFile>
#include <cstring>
#include <new>

namespace kv {

namespace Cells {

QString read(const char *cell, qsizetype width) {
    const char *end = static_cast<const char *>(std::memchr(cell, 0, size_t(width)));
    return Cp1250::decode(QByteArrayView(cell, end ? end - cell : width));
}

void write(char *cell, qsizetype width, QByteArrayView bytes) {
    const qsizetype n = std::min(bytes.size(), width - 1);
    if (n > 0) // an empty text may have no data at all
        std::memcpy(cell, bytes.data(), size_t(n));
    cell[n] = 0;
}

QByteArray encodeCut(const QString &text, qsizetype limit) {
    QByteArray bytes = Cp1250::encode(text);
    if (bytes.size() <= limit)
        return bytes;
    qsizetype keep = limit;
    if (keep > 0 && bytes[keep - 1] == '\r' && bytes[keep] == '\n')
        --keep;
    bytes.truncate(keep);
    return bytes;
}

} // namespace Cells

BlockImage::BlockImage(std::initializer_list<Block> blocks) : m_blocks(blocks) {
    for (const Block &b : m_blocks) {
        m_offsets.push_back(m_size);
        m_size += b.width * b.count;
    }
    m_data.reset(static_cast<char *>(std::calloc(size_t(m_size), 1)));
    if (!m_data)
        throw std::bad_alloc();
}

BlockImage::LoadStatus BlockImage::load(const QString &fileName, int blocks) {
    if (blocks < 0 || blocks > blockCount())
        blocks = blockCount();
    // Unbuffered and untranslated: the bytes go straight into the image.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return file.exists() ? LoadStatus::Failed : LoadStatus::Missing;
    const qsizetype total = blocks == blockCount() ? m_size : m_offsets[size_t(blocks)];
    char *data = m_data.get();
    qsizetype left = total;
    while (left > 0) {
        const qint64 n = file.read(data, left);
        if (n < 0)
            return LoadStatus::Failed;
        if (n == 0)
            return LoadStatus::Short;
        data += n;
        left -= qsizetype(n);
    }
    return LoadStatus::Whole;
}

bool BlockImage::save(const QString &fileName, int mode) const {
    return AtomicFile::write(fileName, {bytes()}, mode);
}

} // namespace kv
