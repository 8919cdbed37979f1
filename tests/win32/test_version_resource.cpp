// The window's version resource (src/app/tessoran.rc), linked into this test as
// it is into tessoran.exe, read back the way Windows programs read their own.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

namespace {

class OwnVersionInfo : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t path[MAX_PATH] = {};
        ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
        ASSERT_GT(size, 0u) << "no version resource";
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, data_.data()));
    }

    std::wstring Text(const wchar_t* field) {
        struct Translation {
            WORD Language;
            WORD CodePage;
        }* translation = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation",
                            reinterpret_cast<void**>(&translation), &length) ||
            length < sizeof(Translation)) {
            return L"(no translation)";
        }
        wchar_t query[128];
        std::swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation->Language,
                      translation->CodePage, field);
        wchar_t* value = nullptr;
        if (!VerQueryValueW(data_.data(), query, reinterpret_cast<void**>(&value), &length) ||
            value == nullptr) {
            return L"(missing)";
        }
        return value;
    }

    std::vector<BYTE> data_;
};

std::wstring Wide(const char* text) {
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

TEST_F(OwnVersionInfo, NumbersMatchTheProjectVersion) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    // The caption's "ver: 1.0.0.7" comes from here on Windows and from CMake's
    // project version elsewhere: the two must not drift apart.
    unsigned v[4] = {};
    ASSERT_EQ(std::sscanf(TESSORAN_VERSION_TEXT, "%u.%u.%u.%u", &v[0], &v[1], &v[2], &v[3]), 4);
    EXPECT_EQ(fixed->dwFileVersionMS, (v[0] << 16) | v[1]);
    EXPECT_EQ(fixed->dwFileVersionLS, (v[2] << 16) | v[3]);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
}

TEST_F(OwnVersionInfo, TextsNameTheProduct) {
    EXPECT_EQ(Text(L"FileVersion"), Wide(TESSORAN_VERSION_TEXT));
    EXPECT_EQ(Text(L"ProductVersion"), L"1.0.0.0");
    EXPECT_EQ(Text(L"FileDescription"), L"Tessoran_for_K730_6W_Velor_SPI");
    EXPECT_EQ(Text(L"ProductName"), L"Tessoran_for_K730_6W_Velor_SPI");
}

} // namespace
