#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <vector>

namespace kv {

// Fixed-width text cells, the unit of every binary file of the program. A
// cell holds a Windows-1250 text ended by a zero byte; the bytes after the
// terminator carry no meaning and are kept as they are when the cell is
// written again. A cell without a terminator ends at its own width.
namespace Cells {

// The cell's text: up to its first zero byte, never past its width.
QString read(const char *cell, qsizetype width);
// Copies the bytes (at most width - 1 of them) and their terminator into the
// cell; the rest of the cell keeps what it held.
void write(char *cell, qsizetype width, QByteArrayView bytes);
// Empties the cell: a zero into its first byte only.
inline void clear(char *cell) {
    *cell = 0;
}
inline bool isEmpty(const char *cell) {
    return *cell == 0;
}

// The text in Windows-1250, cut to at most limit bytes. A cut never falls
// between the CR and the LF of a line break: the CR then goes too.
QByteArray encodeCut(const QString &text, qsizetype limit);

} // namespace Cells

// The in-memory image of a fixed-layout file: blocks laid one after another,
// each a table of equal cells. The image is allocated once, zero-filled, and
// lives as long as the object; pages never touched cost no memory. The file
// is never held open: it is read whole or in its first blocks, and written
// whole and atomically.
class BlockImage {
public:
    struct Block {
        qsizetype width; // bytes per cell
        qsizetype count; // cells in the block
    };

    enum class LoadStatus {
        Whole,   // every requested block was read in full
        Short,   // the file ended early; the image keeps its bytes beyond
        Missing, // there is no such file; the image is untouched
        Failed   // the file exists but could not be opened or read
    };

    explicit BlockImage(std::initializer_list<Block> blocks);
    BlockImage(const BlockImage &) = delete;
    BlockImage &operator=(const BlockImage &) = delete;

    qsizetype size() const { return m_size; }
    int blockCount() const { return int(m_blocks.size()); }
    qsizetype width(int block) const { return m_blocks[size_t(block)].width; }
    qsizetype count(int block) const { return m_blocks[size_t(block)].count; }

    // Cell index of a block; the caller keeps it within 0..count-1.
    char *cell(int block, qsizetype index) {
        return m_data.get() + m_offsets[size_t(block)] + index * width(block);
    }
    const char *cell(int block, qsizetype index) const {
        return m_data.get() + m_offsets[size_t(block)] + index * width(block);
    }
    QString text(int block, qsizetype index) const {
        return Cells::read(cell(block, index), width(block));
    }
    // Stores the text, cut to the cell's width less its terminator.
    void setText(int block, qsizetype index, const QString &text) {
        Cells::write(cell(block, index), width(block), Cells::encodeCut(text, width(block) - 1));
    }
    bool isEmpty(int block, qsizetype index) const { return Cells::isEmpty(cell(block, index)); }
    void clear(int block, qsizetype index) { Cells::clear(cell(block, index)); }

    QByteArrayView block(int b) const { return {cell(b, 0), width(b) * count(b)}; }
    QByteArrayView bytes() const { return {m_data.get(), m_size}; }

    // Reads the first `blocks` blocks of the file (all when negative) in file
    // order, byte for byte, into the front of the image.
    LoadStatus load(const QString &fileName, int blocks = -1);
    // Replaces the file with the whole image, atomically (mode for a new file).
    bool save(const QString &fileName, int mode = 0600) const;

private:
    struct Free {
        void operator()(char *p) const { std::free(p); }
    };
    std::vector<Block> m_blocks;
    std::vector<qsizetype> m_offsets;
    qsizetype m_size = 0;
    std::unique_ptr<char[], Free> m_data;
};

} // namespace kv
