#include "pictures/JpegDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstring>
#include <memory>
#include <new>

#include "pictures/Orientation.h"

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace pictavo {
namespace {

constexpr size_t kInputBufferBytes = 64 * 1024;
// Columns decoded beyond the visible part on each side, so that the chroma upsampling at its edges sees
// the same neighbours as in a whole decode (the left edge is moved further, to an iMCU boundary).
constexpr int kCropMarginLeft = 1;
constexpr int kCropMarginRight = 16;
// Rows handed to libjpeg per call (it returns at most its row group, but never more than asked).
constexpr int kRowsPerRead = 16;

// Everything that lives across the one function that uses setjmp: plain data only, no destructors.
struct DecodeJob {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr error;
  jpeg_source_mgr source;
  jpeg_progress_mgr progress;
  std::jmp_buf escape;
  ByteSource* bytes;
  TargetAllocator* allocator;
  uint8_t input[kInputBufferBytes];
  int warnings;
  // The first row (of the stored picture) that the file's data does not fully hold: where the data ended or
  // broke, libjpeg goes on with flat grey. -1 while the data is whole.
  long firstMissingRow;
  // A file of one scan with restart markers: libjpeg starts afresh at each restart marker, so damage spoils
  // only the restart intervals it lies in. One bit per interval, set when its data was damaged or skipped
  // (what libjpeg decodes from broken data is garbage, not only grey); null for other files, which keep
  // firstMissingRow alone.
  uint8_t* damagedIntervals;
  long intervalCount;
  long restartsRead;  // restart markers read so far: the interval being decoded
};

DecodeJob* JobOf(j_common_ptr cinfo) { return static_cast<DecodeJob*>(cinfo->client_data); }

extern "C" {

void FatalError(j_common_ptr cinfo) { std::longjmp(JobOf(cinfo)->escape, 1); }

// The data ended or broke while libjpeg was decoding: every row of the iMCU row being read on and below
// comes out grey. A file of several scans (progressive ones) that breaks after its first scan has its
// rows, though coarser.
void NoteMissingData(j_decompress_ptr cinfo, DecodeJob* job) {
  if (job->firstMissingRow >= 0) return;
  if (jpeg_has_multiple_scans(cinfo) && cinfo->input_scan_number > 1) {
    job->firstMissingRow = static_cast<long>(cinfo->image_height);
    return;
  }
  job->firstMissingRow = static_cast<long>(cinfo->input_iMCU_row) * cinfo->max_v_samp_factor * DCTSIZE;
}

void MarkDamaged(DecodeJob* job, long interval) {
  if (job->damagedIntervals && interval >= 0 && interval < job->intervalCount)
    job->damagedIntervals[interval >> 3] |= static_cast<uint8_t>(1u << (interval & 7));
}

// Nothing is printed. Of the traces, only a restart marker read where it was expected counts (the other
// way past a restart marker is ResyncToRestart).
void Message(j_common_ptr cinfo, int level) {
  DecodeJob* job = JobOf(cinfo);
  const int code = cinfo->err->msg_code;
  if (level >= 0) {
    if (code == JTRC_RST) ++job->restartsRead;
    return;
  }
  ++job->warnings;
  if (!cinfo->is_decompressor) return;
  // Within a scan that has restart markers every warning is about its data, and one met while reading the
  // marker (data left over before it, a marker out of turn) concerns the interval that ends there.
  MarkDamaged(job, job->restartsRead);
  if (code == JWRN_JPEG_EOF || (!job->damagedIntervals && (code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE)))
    NoteMissingData(reinterpret_cast<j_decompress_ptr>(cinfo), job);
}

// A restart marker not where it was expected: libjpeg looks for the right one (its warning marks the
// interval that ends here). When it leaves the marker it found for later, the next interval gets no data.
boolean ResyncToRestart(j_decompress_ptr cinfo, int desired) {
  const boolean resumed = jpeg_resync_to_restart(cinfo, desired);
  DecodeJob* job = JobOf(reinterpret_cast<j_common_ptr>(cinfo));
  ++job->restartsRead;
  if (cinfo->unread_marker != 0) MarkDamaged(job, job->restartsRead);
  return resumed;
}

void NoOutput(j_common_ptr) {}

void InitSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo) {
  DecodeJob* job = JobOf(reinterpret_cast<j_common_ptr>(cinfo));
  size_t got = job->bytes->Read(job->input, sizeof job->input);
  if (got == 0) {
    // The file ends early: a fake end marker lets libjpeg finish with what it has, as a warning.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    job->input[0] = 0xFF;
    job->input[1] = JPEG_EOI;
    got = 2;
  }
  cinfo->src->next_input_byte = job->input;
  cinfo->src->bytes_in_buffer = got;
  return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* src = cinfo->src;
  size_t left = static_cast<size_t>(count);
  while (left > src->bytes_in_buffer) {
    left -= src->bytes_in_buffer;
    src->bytes_in_buffer = 0;
    FillInput(cinfo);
  }
  src->next_input_byte += left;
  src->bytes_in_buffer -= left;
}

void TermSource(j_decompress_ptr) {}

void WatchScans(j_common_ptr cinfo) {
  const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kJpegMaxScans) {
    cinfo->err->msg_code = JERR_NOT_COMPILED;
    cinfo->err->error_exit(cinfo);
  }
}

}  // extern "C"

// The EXIF orientation from the saved APP1 segments.
int SavedOrientation(j_decompress_ptr cinfo) {
  for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next) {
    if (m->marker != JPEG_APP0 + 1 || m->data_length < 6 || std::memcmp(m->data, "Exif\0\0", 6) != 0) continue;
    // JpegOrientation reads a file's head: give it the segment behind an SOI and its own marker.
    const size_t length = m->data_length + 2;
    if (length > 0xFFFF) continue;
    auto* head = static_cast<uint8_t*>((*cinfo->mem->alloc_large)(reinterpret_cast<j_common_ptr>(cinfo),
                                                                   JPOOL_IMAGE, m->data_length + 6));
    head[0] = 0xFF, head[1] = 0xD8, head[2] = 0xFF, head[3] = 0xE1;
    head[4] = static_cast<uint8_t>(length >> 8), head[5] = static_cast<uint8_t>(length);
    std::memcpy(head + 6, m->data, m->data_length);
    return JpegOrientation(head, m->data_length + 6);
  }
  return 1;
}

// What libjpeg holds for one decode besides the caller's rows: a file of several scans keeps the whole
// picture's coefficients, a single scan a few rows of samples; both, the rows it converts and upsamples.
uint64_t WorkingBytes(j_decompress_ptr cinfo) {
  const bool whole = jpeg_has_multiple_scans(cinfo);
  uint64_t bytes = uint64_t{cinfo->image_width} * 4u * static_cast<unsigned>(cinfo->max_v_samp_factor) * DCTSIZE * 2u;
  for (int c = 0; c < cinfo->num_components; ++c) {
    const jpeg_component_info& comp = cinfo->comp_info[c];
    bytes += whole ? uint64_t{comp.width_in_blocks} * comp.height_in_blocks * sizeof(JBLOCK)
                   : uint64_t{comp.width_in_blocks} * static_cast<unsigned>(comp.v_samp_factor) * DCTSIZE * DCTSIZE * 3u;
  }
  return bytes < kJpegMemoryLimitBytes ? bytes : kJpegMemoryLimitBytes;
}

// CMYK rows as libjpeg gives them (Adobe's files store them inverted) turned into BGRX, in place.
void CmykToBgrx(uint8_t* row, int count, bool inverted) {
  for (int i = 0; i < count; ++i, row += 4) {
    unsigned c = row[0], m = row[1], y = row[2], k = row[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    row[0] = static_cast<uint8_t>((y * k + 127) / 255);
    row[1] = static_cast<uint8_t>((m * k + 127) / 255);
    row[2] = static_cast<uint8_t>((c * k + 127) / 255);
    row[3] = 0xFF;
  }
}

// Blackens the stored rectangle r where it meets `block`, the stored pixels that the target holds (upright
// in the target: the upright form of block).
void Blacken(const PixelTarget& target, const PixelRect& block, int orientation, const PixelRect& r) {
  const int left = std::max(r.left, block.left), top = std::max(r.top, block.top);
  const int right = std::min(r.left + r.width, block.left + block.width);
  const int bottom = std::min(r.top + r.height, block.top + block.height);
  if (left >= right || top >= bottom) return;
  // The upright block maps back onto the stored one by the inverse turn: 6 and 8 undo each other, the
  // others undo themselves.
  const bool swap = SwapsAxes(orientation);
  const PixelRect up = StoredRectFor({left - block.left, top - block.top, right - left, bottom - top},
                                     swap ? block.height : block.width, swap ? block.width : block.height,
                                     orientation == 6 ? 8 : orientation == 8 ? 6 : orientation);
  for (int y = up.top; y < up.top + up.height; ++y)
    std::fill_n(target.pixels + static_cast<size_t>(y) * target.stride + up.left, up.width, 0u);
}

// Where a single scan's MCUs lie: MCU n is the (n % perRow)th of MCU row n / perRow.
struct McuGrid {
  long perRow = 1;
  int width = 1, height = 1;
  long MCUOf(int x, int y) const { return static_cast<long>(y / height) * perRow + x / width; }
};

McuGrid GridOf(const jpeg_decompress_struct& cinfo) {
  // One component: an MCU is one of its blocks; several: each brings its sampling factors' worth of blocks.
  const jpeg_component_info* first = cinfo.cur_comp_info[0];
  return {static_cast<long>(cinfo.MCUs_per_row),
          first->MCU_width * DCTSIZE * cinfo.max_h_samp_factor / first->h_samp_factor,
          first->MCU_height * DCTSIZE * cinfo.max_v_samp_factor / first->v_samp_factor};
}

// Blackens what the file did not give of the visible part `stored`: the rows from firstMissingRow down, and
// the MCUs of damaged restart intervals. The MCUs around stay as libjpeg decodes them: where the chroma is
// subsampled, the smooth upsampling mixes some of a damaged MCU's chroma into the one pixel row or column of
// theirs that touches it, but their light and most of their colour are the file's, and blackening that line
// as well would take away good pixels. True when some visible pixel came from the file.
bool BlackenDamage(const DecodeJob& job, const McuGrid& grid, const PixelRect& stored, const PixelTarget& target,
                   const PixelRect& block, int orientation) {
  const long missing = job.firstMissingRow;
  if (missing >= 0) Blacken(target, block, orientation, {stored.left, static_cast<int>(missing), stored.width,
                                                         stored.top + stored.height - static_cast<int>(missing)});
  if (missing >= 0 && missing <= stored.top) return false;
  if (!job.damagedIntervals) return true;
  bool fromFile = false;
  const long interval = static_cast<long>(job.cinfo.restart_interval);
  for (int y = stored.top / grid.height * grid.height; y < stored.top + stored.height; y += grid.height)
    for (int x = stored.left / grid.width * grid.width; x < stored.left + stored.width; x += grid.width) {
      const long i = grid.MCUOf(x, y) / interval;
      if (i < job.intervalCount && (job.damagedIntervals[i >> 3] >> (i & 7) & 1))
        Blacken(target, block, orientation, {x, y, grid.width, grid.height});
      else if (missing < 0 || std::max(y, stored.top) < missing)
        fromFile = true;
    }
  return fromFile;
}

// The whole decode, in one C-style function: libjpeg's fatal errors come back here through longjmp, so
// nothing in this frame has a destructor.
JpegOutcome RunDecode(DecodeJob& job, int screenWidth, int screenHeight, JpegPart& part) {
  j_decompress_ptr cinfo = &job.cinfo;
  job.cinfo.err = jpeg_std_error(&job.error);
  job.error.error_exit = FatalError;
  job.error.emit_message = Message;
  job.error.output_message = NoOutput;
  job.cinfo.client_data = &job;
  if (setjmp(job.escape)) {
    jpeg_destroy_decompress(cinfo);
    return JpegOutcome::Failed;
  }
  jpeg_create_decompress(cinfo);
  job.cinfo.client_data = &job;  // jpeg_create_decompress clears the struct but the error manager
  job.cinfo.mem->max_memory_to_use = static_cast<long>(kJpegMemoryLimitBytes);
  job.source.init_source = InitSource;
  job.source.fill_input_buffer = FillInput;
  job.source.skip_input_data = SkipInput;
  job.source.resync_to_restart = ResyncToRestart;
  job.source.term_source = TermSource;
  job.source.next_input_byte = nullptr;
  job.source.bytes_in_buffer = 0;
  job.cinfo.src = &job.source;
  job.progress.progress_monitor = WatchScans;
  job.cinfo.progress = &job.progress;
  jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);

  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(cinfo);
    return JpegOutcome::Failed;
  }
  const int width = static_cast<int>(job.cinfo.image_width), height = static_cast<int>(job.cinfo.image_height);
  if (!DecodeSizeAcceptable(width, height)) {
    jpeg_destroy_decompress(cinfo);
    return JpegOutcome::Refused;
  }
  const int orientation = SavedOrientation(cinfo);
  const bool swap = SwapsAxes(orientation);
  const Placement placement = PlaceCentred(screenWidth, screenHeight, swap ? height : width, swap ? width : height);
  if (placement.onScreen.Empty()) {
    jpeg_destroy_decompress(cinfo);
    return JpegOutcome::Refused;
  }
  const PixelRect stored = StoredRectFor(placement.source, width, height, orientation);
  if (!job.allocator->Reserve(WorkingBytes(cinfo))) {
    jpeg_destroy_decompress(cinfo);
    return JpegOutcome::Failed;
  }

  const bool cmyk = job.cinfo.jpeg_color_space == JCS_CMYK || job.cinfo.jpeg_color_space == JCS_YCCK;
  job.cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
  jpeg_start_decompress(cinfo);

  JDIMENSION cropLeft = static_cast<JDIMENSION>(stored.left > kCropMarginLeft ? stored.left - kCropMarginLeft : 0);
  const int cropEnd = stored.left + stored.width + kCropMarginRight < width
                          ? stored.left + stored.width + kCropMarginRight
                          : width;
  JDIMENSION cropWidth = static_cast<JDIMENSION>(cropEnd) - cropLeft;
  if (cropLeft > 0 || cropWidth < job.cinfo.output_width) jpeg_crop_scanline(cinfo, &cropLeft, &cropWidth);
  const int decodedWidth = static_cast<int>(job.cinfo.output_width);
  const int skipLeft = stored.left - static_cast<int>(cropLeft);

  // Upright pictures are decoded straight into the caller's rows; turned ones row group by row group into
  // a strip that is then turned into place.
  const bool upright = orientation == 1;
  part.bufferWidth = upright ? decodedWidth : placement.onScreen.width;
  part.bufferHeight = placement.onScreen.height;
  const PixelTarget target = job.allocator->Allocate(part.bufferWidth, part.bufferHeight);
  if (!target.pixels || target.stride < static_cast<size_t>(part.bufferWidth)) {
    jpeg_destroy_decompress(cinfo);
    return JpegOutcome::Failed;
  }
  uint32_t* strip = nullptr;
  if (!upright) {
    strip = static_cast<uint32_t*>((*job.cinfo.mem->alloc_large)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
        static_cast<size_t>(decodedWidth) * kRowsPerRead * sizeof(uint32_t)));
  }

  // A file of one scan with restart markers: its damaged intervals are noted from here on.
  McuGrid grid;
  if (job.cinfo.restart_interval > 0 && !jpeg_has_multiple_scans(cinfo)) {
    grid = GridOf(job.cinfo);
    job.intervalCount = static_cast<long>(
        (static_cast<uint64_t>(grid.perRow) * job.cinfo.MCU_rows_in_scan + job.cinfo.restart_interval - 1) /
        job.cinfo.restart_interval);
    const size_t bytes = static_cast<size_t>(job.intervalCount) / 8 + 1;
    job.damagedIntervals = static_cast<uint8_t*>(
        (*job.cinfo.mem->alloc_large)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, bytes));
    std::memset(job.damagedIntervals, 0, bytes);
  }

  if (stored.top > 0) jpeg_skip_scanlines(cinfo, static_cast<JDIMENSION>(stored.top));
  JSAMPROW rows[kRowsPerRead];
  int done = 0;
  while (done < stored.height) {
    const int want = stored.height - done < kRowsPerRead ? stored.height - done : kRowsPerRead;
    for (int i = 0; i < want; ++i) {
      rows[i] = upright ? reinterpret_cast<JSAMPROW>(target.pixels + static_cast<size_t>(done + i) * target.stride)
                        : reinterpret_cast<JSAMPROW>(strip + static_cast<size_t>(i) * decodedWidth);
    }
    const int got = static_cast<int>(jpeg_read_scanlines(cinfo, rows, static_cast<JDIMENSION>(want)));
    if (got <= 0) break;  // cannot happen with a data source that never suspends
    if (cmyk) {
      for (int i = 0; i < got; ++i) CmykToBgrx(rows[i], decodedWidth, job.cinfo.saw_Adobe_marker);
    }
    if (!upright) {
      const StoredPoint at = UprightStripOrigin(stored.width, stored.height, done, got, orientation);
      OrientPixels(strip + skipLeft, stored.width, got, orientation,
                   target.pixels + static_cast<size_t>(at.y) * target.stride + static_cast<size_t>(at.x),
                   target.stride, static_cast<size_t>(decodedWidth));
    }
    done += got;
  }
  // The rows below the visible part are never decoded, but for the rest of the last visible restart
  // interval and the marker that closes it: data that breaks there without the decoder noticing leaves it
  // short of that marker.
  if (job.damagedIntervals) {
    const long interval = static_cast<long>(job.cinfo.restart_interval);
    const long lastMcu = grid.MCUOf(0, stored.top + stored.height - 1) + grid.perRow - 1;
    const long closingRow = (lastMcu / interval + 1) * interval / grid.perRow;
    const auto row = static_cast<JDIMENSION>(closingRow * grid.height);
    if (closingRow < static_cast<long>(job.cinfo.MCU_rows_in_scan) && row >= job.cinfo.output_scanline) {
      jpeg_skip_scanlines(cinfo, row - job.cinfo.output_scanline);
      auto scratch = static_cast<JSAMPROW>((*job.cinfo.mem->alloc_large)(
          reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, static_cast<size_t>(decodedWidth) * sizeof(uint32_t)));
      jpeg_read_scanlines(cinfo, &scratch, 1);
    }
  }
  // Rows and MCUs the file did not hold are black, not libjpeg's grey or garbage; with nothing visible from
  // the file there is no picture to show.
  const bool fromFile = BlackenDamage(
      job, grid, stored, target,
      upright ? PixelRect{static_cast<int>(cropLeft), stored.top, decodedWidth, stored.height} : stored, orientation);
  jpeg_destroy_decompress(cinfo);
  if (!fromFile) return JpegOutcome::Failed;

  part.width = swap ? height : width;
  part.height = swap ? width : height;
  part.orientation = orientation;
  part.onScreen = placement.onScreen;
  part.sourceLeft = upright ? skipLeft : 0;
  part.warnings = job.warnings;
  return JpegOutcome::Decoded;
}

}  // namespace

bool LooksLikeJpeg(const uint8_t* head, size_t size) {
  return head && size >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

JpegOutcome DecodeJpegPart(ByteSource& source, int screenWidth, int screenHeight, TargetAllocator& allocator,
                           JpegPart& part) {
  part = JpegPart{};
  uint8_t head[3];
  // The first bytes decide; they are handed to libjpeg again through the job's buffer.
  size_t got = 0;
  while (got < sizeof head) {
    const size_t n = source.Read(head + got, sizeof head - got);
    if (n == 0) break;
    got += n;
  }
  if (!LooksLikeJpeg(head, got)) return JpegOutcome::NotJpeg;
  if (screenWidth <= 0 || screenHeight <= 0) return JpegOutcome::Refused;

  struct Prefixed final : ByteSource {
    ByteSource& rest;
    const uint8_t* first;
    size_t firstLeft;
    Prefixed(ByteSource& r, const uint8_t* f, size_t n) : rest(r), first(f), firstLeft(n) {}
    size_t Read(uint8_t* buffer, size_t size) override {
      if (firstLeft == 0) return rest.Read(buffer, size);
      const size_t n = size < firstLeft ? size : firstLeft;
      std::memcpy(buffer, first, n);
      first += n;
      firstLeft -= n;
      return n;
    }
  } prefixed(source, head, got);

  // The job is large (its input buffer); it lives on the heap, owned here, outside the setjmp frame.
  std::unique_ptr<DecodeJob> job;
  try {
    job = std::make_unique<DecodeJob>();
  } catch (const std::bad_alloc&) {
    return JpegOutcome::Failed;
  }
  job->bytes = &prefixed;
  job->allocator = &allocator;
  job->warnings = 0;
  job->firstMissingRow = -1;
  const JpegOutcome outcome = RunDecode(*job, screenWidth, screenHeight, part);
  if (outcome != JpegOutcome::Decoded) part = JpegPart{};
  return outcome;
}

}  // namespace pictavo
