// Generates the full Unicode lower- and upper-case mapping tables of the core from the
// Unicode Character Database: simple mappings from UnicodeData.txt, replaced by the
// unconditional one-to-many mappings of SpecialCasing.txt. Mappings that depend on a
// language or on the surrounding text are left out: the core maps code points one by one
// and independently of any locale.
//
// Runs on the build machine: case_mapping_tables UnicodeData.txt SpecialCasing.txt OUT
//
// The output is a two-stage table: the code point's high bits pick a block, the block
// holds one small index per code point into a list of distinct mappings, and a mapping
// is either a difference to add to the code point or an offset into a list of sequences.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr std::uint32_t kCodePoints = 0x110000;
constexpr std::uint32_t kBlockBits = 7;
constexpr std::uint32_t kBlockSize = 1u << kBlockBits;
constexpr std::size_t kMaxMappingLength = 3;

using Sequence = std::vector<std::uint32_t>;

struct Mapping {
    Sequence lower;  // empty: the code point itself
    Sequence upper;
};

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream stream(text);
    while (std::getline(stream, field, separator)) fields.push_back(field);
    if (!text.empty() && text.back() == separator) fields.emplace_back();
    return fields;
}

std::string trim(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return "";
    const auto end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

Sequence parse_sequence(const std::string& text) {
    Sequence sequence;
    std::istringstream stream(text);
    std::string item;
    while (stream >> item) sequence.push_back(static_cast<std::uint32_t>(std::stoul(item, nullptr, 16)));
    return sequence;
}

bool read_unicode_data(const char* path, std::vector<Mapping>& mappings) {
    std::ifstream file(path);
    if (!file) return false;
    std::string line;
    while (std::getline(file, line)) {
        const auto fields = split(line, ';');
        if (fields.size() < 14) continue;
        const auto code = static_cast<std::uint32_t>(std::stoul(fields[0], nullptr, 16));
        // Ranges (<CJK Ideograph, First> ...) carry no case mappings.
        if (!fields[12].empty()) mappings[code].upper = parse_sequence(fields[12]);
        if (!fields[13].empty()) mappings[code].lower = parse_sequence(fields[13]);
    }
    return true;
}

bool read_special_casing(const char* path, std::vector<Mapping>& mappings) {
    std::ifstream file(path);
    if (!file) return false;
    std::string line;
    while (std::getline(file, line)) {
        const std::string data = trim(line.substr(0, line.find('#')));
        if (data.empty()) continue;
        const auto fields = split(data, ';');
        // code; lower; title; upper; [conditions;]
        if (fields.size() < 4) continue;
        if (fields.size() > 4 && !trim(fields[4]).empty()) continue;  // conditional
        const auto code = static_cast<std::uint32_t>(std::stoul(trim(fields[0]), nullptr, 16));
        mappings[code].lower = parse_sequence(fields[1]);
        mappings[code].upper = parse_sequence(fields[3]);
    }
    return true;
}

// One distinct mapping: a delta for a single code point, or an offset of a sequence.
struct Entry {
    std::int32_t lower_delta = 0;
    std::int32_t upper_delta = 0;
    std::uint16_t lower_sequence = 0;  // 0: use the delta
    std::uint16_t upper_sequence = 0;
    auto key() const { return std::tuple(lower_delta, upper_delta, lower_sequence, upper_sequence); }
};

class Tables {
public:
    Tables() {
        entries_.push_back(Entry{});
        sequences_.push_back(0);  // offset 0 means "no sequence"
    }

    bool add(std::uint32_t code, const Mapping& mapping, std::uint16_t& index) {
        Entry entry;
        if (!describe(code, mapping.lower, entry.lower_delta, entry.lower_sequence)) return false;
        if (!describe(code, mapping.upper, entry.upper_delta, entry.upper_sequence)) return false;
        const auto found = entry_index_.find(entry.key());
        if (found != entry_index_.end()) {
            index = found->second;
            return true;
        }
        if (entry.key() == Entry{}.key()) {
            index = 0;
            return true;
        }
        index = static_cast<std::uint16_t>(entries_.size());
        entries_.push_back(entry);
        entry_index_.emplace(entry.key(), index);
        return entries_.size() < 0xFFFF;
    }

    const std::vector<Entry>& entries() const { return entries_; }
    const std::vector<std::uint32_t>& sequences() const { return sequences_; }

private:
    bool describe(std::uint32_t code, const Sequence& to, std::int32_t& delta, std::uint16_t& sequence) {
        if (to.size() > kMaxMappingLength) return false;
        if (to.empty()) return true;
        if (to.size() == 1) {
            delta = static_cast<std::int32_t>(to[0]) - static_cast<std::int32_t>(code);
            return true;
        }
        const auto found = sequence_index_.find(to);
        if (found != sequence_index_.end()) {
            sequence = found->second;
            return true;
        }
        sequence = static_cast<std::uint16_t>(sequences_.size());
        sequence_index_.emplace(to, sequence);
        sequences_.push_back(static_cast<std::uint32_t>(to.size()));
        sequences_.insert(sequences_.end(), to.begin(), to.end());
        return sequences_.size() < 0xFFFF;
    }

    std::vector<Entry> entries_;
    std::map<std::tuple<std::int32_t, std::int32_t, std::uint16_t, std::uint16_t>, std::uint16_t> entry_index_;
    std::vector<std::uint32_t> sequences_;
    std::map<Sequence, std::uint16_t> sequence_index_;
};

template <class T>
void write_array(std::ostream& out, const char* type, const char* name, const std::vector<T>& values) {
    out << "inline constexpr " << type << " " << name << "[" << values.size() << "] = {";
    for (std::size_t i = 0; i < values.size(); ++i) {
        out << (i % 16 == 0 ? "\n    " : " ") << values[i] << ",";
    }
    out << "\n};\n\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: case_mapping_tables UnicodeData.txt SpecialCasing.txt OUT\n";
        return 2;
    }
    std::vector<Mapping> mappings(kCodePoints);
    if (!read_unicode_data(argv[1], mappings) || !read_special_casing(argv[2], mappings)) {
        std::cerr << "case_mapping_tables: cannot read the Unicode Character Database\n";
        return 1;
    }

    Tables tables;
    std::vector<std::uint16_t> block_index;
    std::vector<std::uint16_t> blocks;
    std::map<std::vector<std::uint16_t>, std::uint16_t> block_ids;
    for (std::uint32_t start = 0; start < kCodePoints; start += kBlockSize) {
        std::vector<std::uint16_t> block(kBlockSize);
        for (std::uint32_t i = 0; i < kBlockSize; ++i) {
            if (!tables.add(start + i, mappings[start + i], block[i])) {
                std::cerr << "case_mapping_tables: mapping of " << std::hex << start + i << " does not fit\n";
                return 1;
            }
        }
        const auto found = block_ids.find(block);
        if (found != block_ids.end()) {
            block_index.push_back(found->second);
            continue;
        }
        const auto id = static_cast<std::uint16_t>(block_ids.size());
        block_ids.emplace(block, id);
        block_index.push_back(id);
        blocks.insert(blocks.end(), block.begin(), block.end());
    }

    std::ofstream out(argv[3]);
    out << "// Generated by cmake/generators/case_mapping_tables.cpp from the Unicode Character\n"
           "// Database. Do not edit.\n\n";
    out << "inline constexpr std::uint32_t kCaseBlockBits = " << kBlockBits << ";\n\n";
    write_array(out, "std::uint16_t", "kCaseBlockIndex", block_index);
    write_array(out, "std::uint16_t", "kCaseBlocks", blocks);
    out << "inline constexpr CaseEntry kCaseEntries[" << tables.entries().size() << "] = {\n";
    for (const Entry& entry : tables.entries()) {
        out << "    {" << entry.lower_delta << ", " << entry.upper_delta << ", " << entry.lower_sequence << ", "
            << entry.upper_sequence << "},\n";
    }
    out << "};\n\n";
    write_array(out, "char32_t", "kCaseSequences", tables.sequences());
    out.close();
    if (!out) {
        std::cerr << "case_mapping_tables: cannot write " << argv[3] << "\n";
        return 1;
    }
    return 0;
}
