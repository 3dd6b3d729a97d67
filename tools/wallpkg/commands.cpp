#include "tools/wallpkg/commands.h"

#include <algorithm>
#include <map>
#include <ostream>
#include <string_view>

#include "core/content/content_type.h"
#include "core/package/package_format.h"
#include "core/package/package_reader.h"
#include "core/package/package_writer.h"
#include "core/text/hex.h"
#include "publisher_key.h"
#include "tools/wallpkg/file_io.h"
#include "tools/wallpkg/folder_source.h"
#include "tools/wallpkg/key_files.h"
#include "tools/wallpkg/lint/folder_lint.h"
#include "tools/wallpkg/new_wallpaper.h"
#include "tools/wallpkg/preview/preview_command.h"

namespace wallpkg {
namespace {

constexpr std::string_view kUsage =
    "usage: wallpkg keygen --out PREFIX\n"
    "       wallpkg pack FOLDER --key SECRETFILE --out FILE\n"
    "       wallpkg verify FILE [--key PUBHEX]\n"
    "       wallpkg lint FOLDER [--strict]\n"
    "       wallpkg inspect FILE [--key PUBHEX]\n"
    "       wallpkg new ID\n"
    "       wallpkg preview FOLDER [--port N]\n";

// One command line: the command, its positional arguments and its "--name value" options.
struct Invocation {
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string, std::less<>> options;
    std::vector<std::string> flags;
};

struct CommandShape {
    std::string_view name;
    std::size_t positional;
    std::vector<std::string_view> required;
    std::vector<std::string_view> optional;
    std::vector<std::string_view> flags = {};  // options without a value
};

const CommandShape kShapes[] = {
    {"keygen", 0, {"--out"}, {}},
    {"pack", 1, {"--key", "--out"}, {}},
    {"verify", 1, {}, {"--key"}},
    {"lint", 1, {}, {}, {"--strict"}},
    {"inspect", 1, {}, {"--key"}},
    {"new", 1, {}, {}},
    {"preview", 1, {}, {"--port"}},
};

std::optional<Invocation> parse(const std::vector<std::string>& args) {
    if (args.empty()) return std::nullopt;
    const CommandShape* shape = nullptr;
    for (const CommandShape& candidate : kShapes) {
        if (candidate.name == args[0]) shape = &candidate;
    }
    if (shape == nullptr) return std::nullopt;
    Invocation invocation{.command = args[0]};
    const auto allowed = [&](std::string_view name) {
        return std::find(shape->required.begin(), shape->required.end(), name) != shape->required.end() ||
               std::find(shape->optional.begin(), shape->optional.end(), name) != shape->optional.end();
    };
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (std::find(shape->flags.begin(), shape->flags.end(), arg) != shape->flags.end()) {
            if (std::find(invocation.flags.begin(), invocation.flags.end(), arg) != invocation.flags.end()) {
                return std::nullopt;
            }
            invocation.flags.push_back(arg);
        } else if (arg.starts_with("--")) {
            if (!allowed(arg) || i + 1 >= args.size() || invocation.options.contains(arg)) return std::nullopt;
            invocation.options[arg] = args[++i];
        } else {
            invocation.positional.push_back(arg);
        }
    }
    if (invocation.positional.size() != shape->positional) return std::nullopt;
    for (const std::string_view name : shape->required) {
        if (!invocation.options.contains(name)) return std::nullopt;
    }
    return invocation;
}

int report(std::ostream& err, const core::Error& error) {
    err << "error: " << error.chain() << '\n';
    return kExitFailure;
}

// The key given with --key, else the one built into the player.
core::Result<core::Ed25519PublicKey> verifying_key(const Invocation& invocation) {
    const auto given = invocation.options.find("--key");
    return parse_public_key(given != invocation.options.end() ? std::string_view(given->second)
                                                              : kBuiltInPublisherKey);
}

struct VerifiedPackage {
    core::ParsedPackage header;
    core::OpenedPackage opened;
};

// Exactly what the player does with a package file.
core::Result<VerifiedPackage> verify_bytes(const core::Bytes& file, const core::Ed25519PublicKey& key) {
    auto header = core::read_package_header(file, key);
    if (!header) return std::unexpected(header.error());
    auto opened = core::open_package(*header, file);
    if (!opened) return std::unexpected(opened.error());
    return VerifiedPackage{std::move(*header), std::move(*opened)};
}

core::Result<VerifiedPackage> verify_file(const Invocation& invocation) {
    const auto key = verifying_key(invocation);
    if (!key) return std::unexpected(key.error());
    const auto file = read_file(path_from_utf8(invocation.positional[0]), core::kMaxPackageBytes);
    if (!file) return std::unexpected(file.error());
    return verify_bytes(*file, *key);
}

std::uint64_t asset_bytes(const core::AssetMap& assets) {
    std::uint64_t total = 0;
    for (const auto& [path, bytes] : assets) total += bytes.size();
    return total;
}

int keygen(const Invocation& invocation, std::ostream& out, std::ostream& err) {
    const auto seed = core::ed25519_generate_seed();
    if (!seed) return report(err, seed.error());
    const auto key = core::ed25519_public_key(*seed);
    if (!key) return report(err, key.error());
    const std::string prefix = invocation.options.at("--out");
    const auto secret_path = path_from_utf8(prefix + ".secret");
    const auto public_path = path_from_utf8(prefix + ".pub");
    std::error_code ignored;
    if (std::filesystem::exists(public_path, ignored)) {
        return report(err, core::Error("will not overwrite " + prefix + ".pub"));
    }
    if (auto written = write_key_file(secret_path, core::hex_encode(*seed), true); !written) {
        return report(err, written.error());
    }
    if (auto written = write_key_file(public_path, core::hex_encode(*key), false); !written) {
        return report(err, written.error());
    }
    out << "ok " << core::hex_encode(*key) << '\n';
    return kExitOk;
}

int pack(const Invocation& invocation, std::ostream& out, std::ostream& err) {
    const auto seed = read_secret_file(path_from_utf8(invocation.options.at("--key")));
    if (!seed) return report(err, seed.error());
    const auto item = load_folder(invocation.positional[0]);
    if (!item) return report(err, item.error());
    const auto file = core::write_package(item->manifest, item->assets, *seed);
    if (!file) return report(err, file.error());
    // Opened again as the player would, so that nothing unplayable is written (a
    // package above 64 MiB, for one).
    const auto key = core::ed25519_public_key(*seed);
    if (!key) return report(err, key.error());
    const auto verified = verify_bytes(*file, *key);
    if (!verified) return report(err, verified.error());
    if (auto written = write_file(path_from_utf8(invocation.options.at("--out")), *file); !written) {
        return report(err, written.error());
    }
    out << "ok " << verified->header.hash.value() << ' ' << verified->header.manifest.id << '\n';
    return kExitOk;
}

int verify(const Invocation& invocation, std::ostream& out, std::ostream& err) {
    const auto verified = verify_file(invocation);
    if (!verified) return report(err, verified.error());
    out << "ok " << verified->header.hash.value() << ' ' << verified->header.manifest.id << '\n';
    return kExitOk;
}

// Every problem of the folder and, as warnings, what its pages do that the sandbox will
// block. Warnings fail the run only with --strict.
int lint(const Invocation& invocation, std::ostream& out, std::ostream& err) {
    const FolderLint lint = lint_folder(invocation.positional[0]);
    print_lint(err, lint);
    const core::FolderReport& report = lint.report;
    const bool strict = !invocation.flags.empty();
    if (!report.problems.empty() || !report.manifest || (strict && !lint.warnings.empty())) return kExitFailure;
    out << "ok " << report.manifest->id << ' ' << report.assets.size() << ' ' << asset_bytes(report.assets) << '\n';
    return kExitOk;
}

int inspect(const Invocation& invocation, std::ostream& out, std::ostream& err) {
    const auto verified = verify_file(invocation);
    if (!verified) return report(err, verified.error());
    const core::Manifest& manifest = verified->opened.manifest;
    const core::AssetMap& assets = verified->opened.assets;
    out << "package  " << verified->header.hash.value() << '\n'
        << "format   " << verified->header.format << '\n'
        << "id       " << manifest.id << '\n'
        << "name     " << manifest.name << '\n'
        << "version  " << manifest.version << '\n'
        << "entry    " << manifest.entry << '\n'
        << "fps      " << manifest.fps << '\n'
        << "assets   " << assets.size() << " (" << asset_bytes(assets) << " bytes)\n";
    for (const auto& [path, bytes] : assets) {
        out << "  " << bytes.size() << "  " << core::content_type_for_path(path) << "  " << path << '\n';
    }
    return kExitOk;
}

// Writes the template into a new folder ID in the current folder, then lints it, so what
// an author starts from is something the player plays.
int new_wallpaper(const Invocation& invocation, std::ostream& out, std::ostream& err) {
    const std::string& id = invocation.positional[0];
    const auto files = new_wallpaper_files(id);
    if (!files) return report(err, files.error());
    const std::filesystem::path folder = path_from_utf8(id);
    std::error_code error;
    if (std::filesystem::exists(folder, error) || !std::filesystem::create_directory(folder, error)) {
        return report(err, core::Error("will not overwrite " + id));
    }
    for (const TemplateFile& file : *files) {
        const std::span bytes(reinterpret_cast<const std::uint8_t*>(file.text.data()), file.text.size());
        if (auto written = write_file(folder / path_from_utf8(file.path), bytes); !written) {
            return report(err, written.error());
        }
    }
    const auto item = load_folder(id);
    if (!item) return report(err, item.error());
    out << "ok " << id << '\n';
    return kExitOk;
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const auto invocation = parse(args);
    if (!invocation) {
        err << kUsage;
        return kExitUsage;
    }
    if (invocation->command == "keygen") return keygen(*invocation, out, err);
    if (invocation->command == "pack") return pack(*invocation, out, err);
    if (invocation->command == "verify") return verify(*invocation, out, err);
    if (invocation->command == "lint") return lint(*invocation, out, err);
    if (invocation->command == "new") return new_wallpaper(*invocation, out, err);
    if (invocation->command == "preview") {
        const auto port = invocation->options.find("--port");
        return preview(invocation->positional[0],
                       port != invocation->options.end() ? std::optional(port->second) : std::nullopt, out, err);
    }
    return inspect(*invocation, out, err);
}

}  // namespace wallpkg
