#include "tests/support/bundle_fixture.h"

#include "platform/bundle.h"

namespace stravel::testing {

ScratchBundle::ScratchBundle(const std::string& strings) {
    const auto folder = Path() / "Contents" / "Resources" / "English.lproj";
    std::filesystem::create_directories(folder);
    WriteFileBytes(folder / "Localizable.strings", strings);
    tbx::test::SetMainBundlePath(Path().string());
}

void ScratchBundle::AddResource(const std::string& relativePath, const std::string& bytes) {
    const auto path = Path() / "Contents" / "Resources" / relativePath;
    std::filesystem::create_directories(path.parent_path());
    WriteFileBytes(path, bytes);
}

ScratchBundle::~ScratchBundle() {
    tbx::test::SetMainBundlePath("");
}

} // namespace stravel::testing
