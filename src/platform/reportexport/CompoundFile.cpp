#include "CompoundFile.h"

#include "LittleEndian.h"

#include "com/ComError.h"

#include <QList>

namespace reportexport {

namespace {

constexpr qsizetype kSector = 512;
constexpr uint32_t kFreeSect = 0xFFFFFFFF;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFatSect = 0xFFFFFFFD;
constexpr uint32_t kDifSect = 0xFFFFFFFC;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr int kHeaderDifat = 109;           // FAT sector numbers kept in the header
constexpr int kEntriesPerFatSector = 128;   // 512 / 4
constexpr int kEntriesPerDifatSector = 127; // the last slot chains to the next

qsizetype sectorsFor(qsizetype bytes)
{
    return (bytes + kSector - 1) / kSector;
}

// One 128-byte directory entry: the name in UTF-16 with its terminator, the
// object type, black colour (a single-node tree), no siblings, the child,
// the first sector and the size.
void appendEntry(QByteArray &out, const QString &name, int type, uint32_t child, uint32_t start, uint32_t size)
{
    const qsizetype begin = out.size();
    out.append(128, '\0');
    if (type != 0) {
        const QString shortName = name.left(31);
        for (qsizetype i = 0; i < shortName.size(); ++i)
            le::put16(out, begin + 2 * i, shortName.at(i).unicode());
        le::put16(out, begin + 64, unsigned(2 * (shortName.size() + 1)));
        out[begin + 66] = char(type);
        out[begin + 67] = char(1); // black
    }
    le::put32(out, begin + 68, kNoStream); // left sibling
    le::put32(out, begin + 72, kNoStream); // right sibling
    le::put32(out, begin + 76, child);
    if (type != 0) {
        le::put32(out, begin + 116, start);
        le::put32(out, begin + 120, size);
    }
}

} // namespace

QByteArray compoundFileWithStream(const QString &streamName, const QByteArray &stream)
{
    if (stream.size() < kCompoundMinStreamSize)
        throw com::ComError(
            com::errors::InvalidProcedureCall,
            QStringLiteral("A workbook stream must be at least %1 bytes long.").arg(kCompoundMinStreamSize));

    // Sector layout: the stream, one directory sector, the FAT, then any
    // DIFAT sectors for FAT sectors beyond the header's 109 slots. The FAT
    // must also cover its own and the DIFAT's sectors, hence the loop.
    const qsizetype streamSectors = sectorsFor(stream.size());
    const qsizetype dirSector = streamSectors;
    qsizetype fatSectors = 1;
    qsizetype difatSectors = 0;
    for (;;) {
        const qsizetype total = streamSectors + 1 + fatSectors + difatSectors;
        const qsizetype neededFat = (total + kEntriesPerFatSector - 1) / kEntriesPerFatSector;
        const qsizetype neededDifat =
            neededFat > kHeaderDifat ? (neededFat - kHeaderDifat + kEntriesPerDifatSector - 1) / kEntriesPerDifatSector
                                     : 0;
        if (neededFat == fatSectors && neededDifat == difatSectors)
            break;
        fatSectors = neededFat;
        difatSectors = neededDifat;
    }
    const qsizetype firstFat = dirSector + 1;
    const qsizetype firstDifat = firstFat + fatSectors;
    const qsizetype totalSectors = firstDifat + difatSectors;

    QByteArray out;
    out.reserve((totalSectors + 1) * kSector);

    // Header: signature, version 3 (minor 0x3E), little-endian marker,
    // 512-byte sectors, 64-byte mini sectors, the 4096-byte mini cutoff.
    static const unsigned char signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    out.append(reinterpret_cast<const char *>(signature), 8);
    out.append(16, '\0'); // class id
    le::u16(out, 0x003E);
    le::u16(out, 0x0003);
    le::u16(out, 0xFFFE);
    le::u16(out, 9);
    le::u16(out, 6);
    out.append(6, '\0');
    le::u32(out, 0); // directory sectors: always 0 in version 3
    le::u32(out, uint32_t(fatSectors));
    le::u32(out, uint32_t(dirSector));
    le::u32(out, 0); // transaction signature
    le::u32(out, uint32_t(kCompoundMinStreamSize));
    le::u32(out, kEndOfChain); // no mini FAT
    le::u32(out, 0);
    le::u32(out, difatSectors ? uint32_t(firstDifat) : kEndOfChain);
    le::u32(out, uint32_t(difatSectors));
    for (int i = 0; i < kHeaderDifat; ++i)
        le::u32(out, i < fatSectors ? uint32_t(firstFat + i) : kFreeSect);

    // The stream itself, padded to whole sectors.
    out.append(stream);
    out.append(streamSectors * kSector - stream.size(), '\0');

    // Directory: the root storage (no mini stream) with the stream as its
    // only child; the sector's other three entries are unused.
    appendEntry(out, QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    appendEntry(out, streamName, 2, kNoStream, 0, uint32_t(stream.size()));
    appendEntry(out, QString(), 0, kNoStream, 0, 0);
    appendEntry(out, QString(), 0, kNoStream, 0, 0);

    // FAT: the stream's chain, the directory's single sector, then the
    // sectors holding the FAT and the DIFAT themselves.
    const qsizetype fatBegin = out.size();
    for (qsizetype i = 0; i < streamSectors; ++i)
        le::u32(out, i + 1 < streamSectors ? uint32_t(i + 1) : kEndOfChain);
    le::u32(out, kEndOfChain);
    for (qsizetype i = 0; i < fatSectors; ++i)
        le::u32(out, kFatSect);
    for (qsizetype i = 0; i < difatSectors; ++i)
        le::u32(out, kDifSect);
    out.append(fatBegin + fatSectors * kSector - out.size(), char(0xFF)); // free entries

    // DIFAT: FAT sector numbers beyond the header's slots, 127 per sector,
    // each sector ending with the number of the next.
    qsizetype nextFat = kHeaderDifat;
    for (qsizetype d = 0; d < difatSectors; ++d) {
        for (int i = 0; i < kEntriesPerDifatSector; ++i, ++nextFat)
            le::u32(out, nextFat < fatSectors ? uint32_t(firstFat + nextFat) : kFreeSect);
        le::u32(out, d + 1 < difatSectors ? uint32_t(firstDifat + d + 1) : kEndOfChain);
    }
    return out;
}

} // namespace reportexport
