// Writes the station's alarm sound: a two-tone beep of one second, 16-bit PCM
// mono at 22050 Hz, made to loop without a click (each tone fades in and out
// and the second ends in silence).
//
//   mkwav <output file>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

void Tone(std::vector<std::int16_t>& out, double freq, double seconds, double gap)
{
    const int n = int(seconds * kRate);
    const int fade = kRate / 100;  // 10 ms
    for (int i = 0; i < n; ++i) {
        double env = 1.0;
        if (i < fade)
            env = double(i) / fade;
        else if (i > n - fade)
            env = double(n - i) / fade;
        const double s = std::sin(2.0 * kPi * freq * i / kRate) * 0.6 * env;
        out.push_back(std::int16_t(std::lround(s * 32767.0)));
    }
    out.insert(out.end(), std::size_t(gap * kRate), 0);
}

void Put16(std::FILE* f, std::uint16_t v) { std::fputc(v & 0xFF, f); std::fputc(v >> 8, f); }
void Put32(std::FILE* f, std::uint32_t v) { Put16(f, v & 0xFFFF); Put16(f, v >> 16); }

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkwav <output file>\n");
        return 2;
    }
    std::vector<std::int16_t> samples;
    Tone(samples, 880.0, 0.42, 0.08);
    Tone(samples, 660.0, 0.42, 0.08);

    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f) {
        std::fprintf(stderr, "mkwav: cannot write %s\n", argv[1]);
        return 1;
    }
    const std::uint32_t dataBytes = std::uint32_t(samples.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    Put32(f, 36 + dataBytes);
    std::fwrite("WAVE", 1, 4, f);
    std::fwrite("fmt ", 1, 4, f);
    Put32(f, 16);        // chunk size
    Put16(f, 1);         // PCM
    Put16(f, 1);         // mono
    Put32(f, kRate);
    Put32(f, kRate * 2); // bytes per second
    Put16(f, 2);         // block align
    Put16(f, 16);        // bits per sample
    std::fwrite("data", 1, 4, f);
    Put32(f, dataBytes);
    for (std::int16_t s : samples)
        Put16(f, std::uint16_t(s));
    const bool ok = std::fclose(f) == 0;
    return ok ? 0 : 1;
}
