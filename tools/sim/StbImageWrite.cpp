// stb_image_write's code, for the picture subcommand's PNG files.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
