// The image loader: every format the game's textures come in (JPEG and TGA).
#include "FuzzTarget.h"

#include "engine/sdl/ImageCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    TDecodedImage Image;
    std::string Error;
    if (!DecodeImage(FuzzBytes(Data, Size), Image, Error)) {
        FuzzExpect(!Error.empty() && Image.Rgba.empty(), "a refused image says why and is empty");
        return 0;
    }
    ++FuzzAcceptedInputs;
    FuzzExpect(Image.Width >= 1 && Image.Width <= MAX_IMAGE_SIDE_PX && Image.Height >= 1 &&
                   Image.Height <= MAX_IMAGE_SIDE_PX &&
                   Image.Rgba.size() == size_t(Image.Width) * size_t(Image.Height) * 4,
               "a decoded image has its four bytes a pixel");
    return 0;
}
