// A whole picture as the imaging component's pixel source, for whoever scales it (the About box): JPEG
// files, known by their content, through the program's own decoder, other formats through the imaging
// component once their header's own size has passed the whole-decode budget.
#pragma once
#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <string>

#include "platform/Owned_win.h"

namespace pictavo {

// The upright picture at path, or empty when it cannot be read or decoded, its whole decode exceeds the
// budget, or it claims more than maxPixels.
ComPtr<IWICBitmapSource> OpenWholePicture(IWICImagingFactory* factory, const std::wstring& path, uint64_t maxPixels);

}  // namespace pictavo
