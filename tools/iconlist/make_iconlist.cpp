// make_iconlist OUTPUT IMAGE.pam...
//
// Builds the installer's "ICONLIST" resource from square RGBA images in the
// PAM format: the images side by side in one strip, premultiplied, in
// blue-green-red-alpha order, rows top to bottom, LZMA-packed.
//
//   u32 LE  image size s
//   u32 LE  image count n
//   5 bytes LZMA properties (lc 3, lp 0, pb 2: the byte 0x5D; dictionary size)
//   ...     raw LZMA data of the s*n*s*4-byte strip, ended by an end marker
//
// Runs on the build machine, so it uses the system's LZMA library.
#include <lzma.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Image {
    std::uint32_t size = 0;
    std::vector<std::uint8_t> rgba;
};

Image readPam(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot open " + path);
    std::string line;
    std::getline(file, line);
    if (line != "P7") throw std::runtime_error(path + " is not a PAM image");
    std::uint32_t width = 0, height = 0, depth = 0, maxval = 0;
    std::string tupleType;
    while (std::getline(file, line) && line != "ENDHDR") {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "WIDTH") fields >> width;
        if (key == "HEIGHT") fields >> height;
        if (key == "DEPTH") fields >> depth;
        if (key == "MAXVAL") fields >> maxval;
        if (key == "TUPLTYPE") fields >> tupleType;
    }
    if (width == 0 || width != height || depth != 4 || maxval != 255 || tupleType != "RGB_ALPHA") {
        throw std::runtime_error(path + ": need a square 8-bit RGB_ALPHA image");
    }
    Image image{width, std::vector<std::uint8_t>(std::size_t{width} * height * 4)};
    file.read(reinterpret_cast<char*>(image.rgba.data()), static_cast<std::streamsize>(image.rgba.size()));
    if (!file) throw std::runtime_error(path + " is cut short");
    return image;
}

// Image i occupies columns s*i to s*i+s-1 of the strip.
std::vector<std::uint8_t> buildStrip(const std::vector<Image>& images) {
    const std::size_t s = images.front().size;
    const std::size_t n = images.size();
    std::vector<std::uint8_t> strip(s * n * s * 4);
    for (std::size_t i = 0; i < n; ++i) {
        if (images[i].size != s) throw std::runtime_error("all images must have the same size");
        for (std::size_t y = 0; y < s; ++y) {
            for (std::size_t x = 0; x < s; ++x) {
                const std::uint8_t* in = &images[i].rgba[(y * s + x) * 4];
                std::uint8_t* out = &strip[(y * s * n + i * s + x) * 4];
                const unsigned alpha = in[3];
                // Premultiplied, rounded: what per-pixel alpha blending expects.
                out[0] = static_cast<std::uint8_t>((in[2] * alpha + 127) / 255);
                out[1] = static_cast<std::uint8_t>((in[1] * alpha + 127) / 255);
                out[2] = static_cast<std::uint8_t>((in[0] * alpha + 127) / 255);
                out[3] = static_cast<std::uint8_t>(alpha);
            }
        }
    }
    return strip;
}

std::vector<std::uint8_t> pack(const std::vector<std::uint8_t>& strip) {
    lzma_options_lzma options;
    if (lzma_lzma_preset(&options, 9)) throw std::runtime_error("no LZMA preset 9");
    options.lc = 3;
    options.lp = 0;
    options.pb = 2;
    lzma_filter filters[] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};

    std::vector<std::uint8_t> packed(5);
    if (lzma_properties_encode(&filters[0], packed.data()) != LZMA_OK)
        throw std::runtime_error("LZMA properties");
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&stream, filters) != LZMA_OK) throw std::runtime_error("LZMA encoder");
    std::vector<std::uint8_t> buffer(strip.size() + strip.size() / 2 + 4096);
    stream.next_in = strip.data();
    stream.avail_in = strip.size();
    stream.next_out = buffer.data();
    stream.avail_out = buffer.size();
    const lzma_ret result = lzma_code(&stream, LZMA_FINISH);
    const std::size_t written = buffer.size() - stream.avail_out;
    lzma_end(&stream);
    if (result != LZMA_STREAM_END) throw std::runtime_error("LZMA packing failed");
    packed.insert(packed.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(written));
    return packed;
}

void putLittleEndian(std::ofstream& out, std::uint32_t value) {
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8),
                           static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
    out.write(bytes, 4);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT IMAGE.pam...\n", argv[0]);
        return 2;
    }
    try {
        std::vector<Image> images;
        for (int i = 2; i < argc; ++i)
            images.push_back(readPam(argv[i]));
        const std::vector<std::uint8_t> packed = pack(buildStrip(images));
        std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
        putLittleEndian(out, images.front().size);
        putLittleEndian(out, static_cast<std::uint32_t>(images.size()));
        out.write(reinterpret_cast<const char*>(packed.data()), static_cast<std::streamsize>(packed.size()));
        if (!out) throw std::runtime_error(std::string("cannot write ") + argv[1]);
    } catch (const std::exception& problem) {
        std::fprintf(stderr, "make_iconlist: %s\n", problem.what());
        return 1;
    }
    return 0;
}
