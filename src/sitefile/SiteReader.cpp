// Opening a site file whole, and loading its stored points.
#include "SiteReader.h"

#include "ByteOrder.h"
#include "FileIo.h"
#include "SiteFormat.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>

namespace marlow {

namespace {

// Coordinates reach the status panes as signed 16-bit values, so a floor
// plan larger than that in either direction cannot be surveyed.
constexpr std::int32_t MaxPlanSide = 32767;

namespace info {
constexpr std::size_t Size = 0;
constexpr std::size_t Width = 4;
constexpr std::size_t Height = 8;
constexpr std::size_t BitCount = 14;
constexpr std::size_t Compression = 16;
constexpr std::size_t ImageSize = 20;
} // namespace info

// Reads the regions of one open file into the site, each step failing with
// the words the surveyor is shown.
struct Reader {
    int fd;
    std::uint64_t fileSize;
    OpenedSite& site;

    // Reads exactly length bytes or fails with the system's text.
    SiteResult<> readExactly(void* buffer, std::size_t length, std::uint64_t offset,
                             const char* what) const {
        const Result<std::size_t> n = readAt(fd, buffer, length, offset);
        if (!n)
            return fail(cannotOpenError(n.error().systemError));
        if (*n < length)
            return fail(damagedError(std::string(what) + " is cut short."));
        return {};
    }

    SiteResult<> readHeader() {
        HeaderBytes& header = site.file.header;
        const Result<std::size_t> got = readAt(fd, header.data(), header.size(), 0);
        if (!got)
            return fail(cannotOpenError(got.error().systemError));
        // The magic is tested first, so that any other file is named for
        // what it is rather than as a damaged site file.
        const SiteHeaderFields fields = decodeHeader(header);
        if (*got < header::Magic + SiteMagic.size() || !fields.magicMatches)
            return fail(notASiteFileError());
        if (*got < header.size())
            return fail(damagedError("the header is cut short."));
        if (fields.version < CurrentVersion)
            return fail(obsoleteError());
        if (fields.headerLength < SiteHeaderSize)
            return fail(damagedError("the header is shorter than 150 bytes."));
        return {};
    }

    SiteResult<> checkRegions() const {
        if (Result<void> fits = checkLayout(layoutOf(site.file)); !fits)
            return fail(damagedError(fits.error().message));
        return {};
    }

    SiteResult<> readBitmap(const SiteHeaderFields& fields) {
        std::uint8_t head[BitmapFileHeaderSize + BitmapInfoHeaderSize];
        if (SiteResult<> read =
                readExactly(head, sizeof head, fields.bitmapOffset, "the floor plan");
            !read)
            return read;
        const std::uint8_t* inf = head + BitmapFileHeaderSize;
        const std::uint32_t infoSize = readU32(inf + info::Size);
        const std::int32_t width = readI32(inf + info::Width);
        const std::int32_t height = readI32(inf + info::Height);
        const std::uint16_t bitCount = readU16(inf + info::BitCount);
        const std::uint32_t compression = readU32(inf + info::Compression);
        std::uint64_t imageSize = readU32(inf + info::ImageSize);

        if (infoSize != BitmapInfoHeaderSize || compression != 0)
            return fail(damagedError("the floor plan is not a plain device-independent bitmap."));
        if (bitCount != 8)
            return fail(damagedError("the floor plan has " + std::to_string(bitCount) +
                                     " bits per pixel; a site plan has 8."));
        if (width < 1 || width > MaxPlanSide || height == 0 || height < -MaxPlanSide ||
            height > MaxPlanSide)
            return fail(damagedError("the floor plan's size (" + std::to_string(width) + " x " +
                                     std::to_string(height) + ") is not usable."));

        SiteBitmap& bitmap = site.bitmap;
        bitmap.width = width;
        bitmap.topDown = height < 0;
        bitmap.height = height < 0 ? -height : height;
        const std::uint64_t needed = std::uint64_t{bitmap.rowStride()} * bitmap.height;
        if (imageSize == 0)
            imageSize = needed;
        if (imageSize < needed)
            return fail(damagedError("the floor plan holds fewer pixels than its size needs."));
        const std::uint64_t bitmapSize = BitmapPixelsStart + imageSize;
        if (fields.bitmapOffset + bitmapSize > fileSize)
            return fail(damagedError("the floor plan is cut short."));
        site.file.bitmapSize = static_cast<std::uint32_t>(bitmapSize);

        if (SiteResult<> read =
                readExactly(bitmap.colorTable.data(), ColorTableSize,
                            fields.bitmapOffset + BitmapFileHeaderSize + BitmapInfoHeaderSize,
                            "the floor plan");
            !read)
            return read;
        bitmap.pixels.resize(static_cast<std::size_t>(needed));
        return readExactly(bitmap.pixels.data(), bitmap.pixels.size(),
                           fields.bitmapOffset + BitmapPixelsStart, "the floor plan");
    }

    SiteResult<> readSurveyData(const SiteHeaderFields& fields) {
        // A file that ends where its data section starts has none, and
        // nothing to load; one that ends before, or inside the two record
        // sizes, is cut short. A save fills what is missing before the data
        // with zeros, in memory and on disk: a file cut short in its
        // signature block misses at most a block, and one that misses more
        // (a data offset far past its end) is refused, since each save of a
        // few kilobytes of it could cost up to four gigabytes.
        const std::uint64_t start = fields.dataOffset + std::uint64_t{DataSizesLength};
        if (fields.dataOffset > fileSize + SignatureBlockSize)
            return fail(
                damagedError("it ends more than a signature block before its survey data."));
        if (start > fileSize) {
            site.points.endsEarly = fileSize != fields.dataOffset;
            return {};
        }
        std::uint8_t sizes[DataSizesLength];
        if (SiteResult<> read =
                readExactly(sizes, sizeof sizes, fields.dataOffset, "the survey data");
            !read)
            return read;
        const std::uint32_t pointSize = readU32(sizes);
        const std::uint32_t apSize = readU32(sizes + 4);
        if (pointSize < static_cast<std::uint32_t>(StoredPointRecordSize) ||
            apSize < static_cast<std::uint32_t>(StoredApRecordSize))
            return fail(damagedError("its survey records are shorter than 42 and 41 bytes."));
        site.file.pointRecordSize =
            static_cast<std::int32_t>(std::min<std::uint32_t>(pointSize, INT32_MAX));
        site.file.apRecordSize =
            static_cast<std::int32_t>(std::min<std::uint32_t>(apSize, INT32_MAX));
        SiteResult<StoredPoints> points =
            readStoredPoints({fd, start, fileSize, pointSize, apSize});
        if (!points)
            return fail(points.error());
        site.points = std::move(points).value();
        return {};
    }

    // The steps in order: the regions are checked before the plan is read,
    // with the smallest plan there can be, and again once its real size is
    // known.
    SiteResult<> readAll() {
        if (SiteResult<> header = readHeader(); !header)
            return header;
        const SiteHeaderFields fields = decodeHeader(site.file.header);
        site.file.bitmapSize = BitmapPixelsStart;
        if (SiteResult<> regions = checkRegions(); !regions)
            return regions;
        if (SiteResult<> bitmap = readBitmap(fields); !bitmap)
            return bitmap;
        if (SiteResult<> regions = checkRegions(); !regions)
            return regions;
        return readSurveyData(fields);
    }
};

} // namespace

SiteResult<OpenedSite> openSite(const std::string& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return fail(cannotOpenError(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return fail(cannotOpenError(errno));
    if (!S_ISREG(st.st_mode))
        return fail(cannotOpenError(S_ISDIR(st.st_mode) ? EISDIR : EINVAL));

    // Memory running out anywhere in the read refuses the file: nothing of
    // it is half kept.
    try {
        OpenedSite site;
        Reader reader{fd.get(), static_cast<std::uint64_t>(st.st_size), site};
        if (SiteResult<> read = reader.readAll(); !read)
            return fail(read.error());
        return site;
    } catch (const std::bad_alloc&) {
        return fail(outOfMemoryError());
    }
}

bool holdsPoints(const OpenedSite& site) {
    return !site.points.records->empty();
}

namespace {

void drawMarks(const OpenedSite& site, const MarkSink& drawMark) {
    if (!drawMark)
        return;
    for (const PointMark& mark : site.points.marks)
        drawMark(mark.x, mark.y, mark.rssi);
}

} // namespace

void loadPoints(const OpenedSite& site, RecordList& store, const MarkSink& drawMark) {
    for (const SurveyRecord& record : *site.points.records)
        if (store.appendCopy(record) != RecordList::Ok)
            throw std::bad_alloc();
    drawMarks(site, drawMark);
}

void loadPointsAsStored(const OpenedSite& site, RecordList& store) {
    const auto keep = [&store](const SurveyRecord& record) {
        if (store.appendCopy(record) != RecordList::Ok)
            throw std::bad_alloc();
    };
    auto record = site.points.records->begin();
    const PointMark* previous = nullptr;
    for (const PointMark& mark : site.points.marks) {
        if (previous && previous->x == mark.x && previous->y == mark.y && !isPlaceholder(*record))
            keep(placeholderRecord(mark.x, mark.y, textOf(record->pointName), "",
                                   LoadedPlaceholderRssi));
        for (std::uint32_t i = 0; i < mark.records; ++i, ++record)
            keep(*record);
        previous = &mark;
    }
}

void movePoints(OpenedSite& site, RecordList& emptyStore, const MarkSink& drawMark) {
    emptyStore.swap(*site.points.records);
    drawMarks(site, drawMark);
}

} // namespace marlow
