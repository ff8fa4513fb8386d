// What the show and the About boxes share for picture files: the file test, reading a file's head or
// the whole file, the imaging factory and the 32-bit DIB sections that decoded pixels go into.
#pragma once
#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Owned_win.h"

namespace pictavo {

// An ordinary file: exists, not a directory, neither hidden nor a system file. The path is
// taken as it is: a name with "*" or "?" is no file, never a pattern.
bool OrdinaryFileExists(const std::wstring& path);

// Up to maxBytes from the start of the file (fewer for a shorter file); empty when it cannot be read.
std::vector<uint8_t> ReadFileHead(const std::wstring& path, size_t maxBytes);

// The whole file; false when it cannot be read or is larger than maxBytes.
bool ReadWholeFile(const std::wstring& path, uint64_t maxBytes, std::vector<uint8_t>& out);

// The Windows Imaging Component's factory; empty when COM is not there for this thread.
ComPtr<IWICImagingFactory> CreateImagingFactory();

// A top-down 32-bit DIB section of width x height; *bits points at its pixels.
UniqueBitmap CreateTopDownDib(int width, int height, void** bits);

}  // namespace pictavo
