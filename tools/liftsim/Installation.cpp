#include "Installation.h"

#include <charconv>
#include <fstream>

std::optional<long long> ParseInteger(std::string_view text, long long min, long long max)
{
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || value < min || value > max)
        return std::nullopt;
    return value;
}

bool CInstallation::AddLift(const std::array<std::string_view, 4>& fields, int fieldCount, std::string& error)
{
    if (fieldCount < 2 || fieldCount > 4) {
        error = "expected N FLOORS [MODEL [HEIGHT]]";
        return false;
    }
    const auto liftNum = ParseInteger(fields[0], 1, MAX_LIFTS);
    if (!liftNum) {
        error = "lift number must be 1..64";
        return false;
    }
    const auto floors = ParseInteger(fields[1], 1, MAX_FLOORS);
    if (!floors) {
        error = "floor count must be 1..255";
        return false;
    }
    SLiftSpec spec;
    spec.nLiftNum = int(*liftNum);
    spec.nFloors = int(*floors);
    spec.nHeight = spec.nFloors * 3000;
    if (fieldCount >= 3) {
        const auto model = ParseInteger(fields[2], 1, 3);
        if (!model) {
            error = "model must be 1..3";
            return false;
        }
        spec.nModel = int(*model);
    }
    if (fieldCount == 4) {
        const auto height = ParseInteger(fields[3], 0, 10'000'000);
        if (!height) {
            error = "height must be 0..10000000 mm";
            return false;
        }
        spec.nHeight = int(*height);
    }
    auto& slot = m_Lifts[std::size_t(spec.nLiftNum - 1)];
    if (slot) {
        error = "lift " + std::to_string(spec.nLiftNum) + " is installed twice";
        return false;
    }
    slot = spec;
    return true;
}

bool CInstallation::AddLiftSpec(std::string_view spec, std::string& error)
{
    std::array<std::string_view, 4> fields;
    int count = 0;
    while (true) {
        const std::size_t colon = spec.find(':');
        if (count == 4) {
            count = 5; // too many fields
            break;
        }
        fields[std::size_t(count++)] = spec.substr(0, colon);
        if (colon == std::string_view::npos)
            break;
        spec.remove_prefix(colon + 1);
    }
    return AddLift(fields, count, error);
}

bool CInstallation::LoadFile(const std::string& path, std::string& error)
{
    std::ifstream file(path);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::string line;
    int lineNum = 0;
    while (std::getline(file, line)) {
        ++lineNum;
        std::string_view text(line);
        if (const std::size_t hash = text.find('#'); hash != std::string_view::npos)
            text = text.substr(0, hash);
        std::array<std::string_view, 6> words;
        int count = 0;
        std::size_t pos = 0;
        while (pos < text.size()) {
            while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r'))
                ++pos;
            const std::size_t start = pos;
            while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t' && text[pos] != '\r')
                ++pos;
            if (pos > start) {
                if (count == int(words.size())) {
                    ++count;
                    break;
                }
                words[std::size_t(count++)] = text.substr(start, pos - start);
            }
        }
        if (count == 0)
            continue;
        std::string reason;
        if (words[0] != "lift") {
            reason = "unknown keyword '" + std::string(words[0]) + "'";
        } else if (count > 5) {
            reason = "expected lift N FLOORS [MODEL [HEIGHT]]";
        } else {
            const std::array<std::string_view, 4> fields{words[1], words[2], words[3], words[4]};
            if (AddLift(fields, count - 1, reason))
                continue;
        }
        error = path + ":" + std::to_string(lineNum) + ": " + reason;
        return false;
    }
    return true;
}
