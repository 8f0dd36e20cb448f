// Opening a site file whole, and loading its stored points.
#include "SiteReader.h"

#include "ByteOrder.h"
#include "FileIo.h"
#include "SiteFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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
        // A missing or cut data section is not an error: there is simply
        // nothing to load.
        if (fields.dataOffset + std::uint64_t{DataSizesLength} > fileSize)
            return {};
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
        const std::uint64_t start = fields.dataOffset + std::uint64_t{DataSizesLength};
        site.surveyData.resize(static_cast<std::size_t>(fileSize - start));
        return readExactly(site.surveyData.data(), site.surveyData.size(), start,
                           "the survey data");
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

    OpenedSite site;
    Reader reader{fd.get(), static_cast<std::uint64_t>(st.st_size), site};
    if (SiteResult<> read = reader.readAll(); !read)
        return fail(read.error());
    return site;
}

bool holdsPoints(const OpenedSite& site) {
    return site.surveyData.size() >= static_cast<std::size_t>(site.file.pointRecordSize);
}

void loadPoints(const OpenedSite& site, RecordList& store, const MarkSink& drawMark) {
    const auto& data = site.surveyData;
    const auto pointSize = static_cast<std::size_t>(site.file.pointRecordSize);
    const auto apSize = static_cast<std::size_t>(site.file.apRecordSize);
    std::size_t at = 0;
    while (data.size() - at >= pointSize) {
        const StoredPoint point = decodePointRecord(data.data() + at);
        at += pointSize;
        // The records of this point: its position and name, then each
        // access point's fields decoded over the previous one's.
        SurveyRecord record;
        record.x = point.x;
        record.y = point.y;
        std::memcpy(record.pointName, point.name, sizeof record.pointName);
        if (point.apCount == 0) {
            // A point where nothing was heard loads as one placeholder.
            const SurveyRecord placeholder =
                placeholderRecord(point.x, point.y, textOf(point.name), "", LoadedPlaceholderRssi);
            if (store.appendCopy(placeholder) != RecordList::Ok)
                return;
            if (drawMark)
                drawMark(point.x, point.y, NoSignalRssi);
            continue;
        }
        int best = NoSignalRssi;
        std::uint32_t loaded = 0;
        for (std::uint32_t i = 0; i < point.apCount; ++i) {
            if (data.size() - at < apSize) {
                // Cut short inside this point: what follows is no record.
                at = data.size();
                break;
            }
            decodeApRecord(data.data() + at, record);
            at += apSize;
            if (store.appendCopy(record) != RecordList::Ok)
                return;
            best = std::max<int>(best, record.rssi);
            ++loaded;
        }
        if (loaded > 0 && drawMark)
            drawMark(point.x, point.y, best);
    }
}

} // namespace marlow
