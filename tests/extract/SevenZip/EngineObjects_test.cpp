#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "extract/SevenZip/ArchiveExtractCallback.h"
#include "extract/SevenZip/ArchiveOpenCallback.h"
#include "extract/SevenZip/FileInStream.h"
#include "extract/SevenZip/FileOutStream.h"
#include "extract/SevenZip/HostLog.h"
#include "extract/SevenZip/InterfaceHolder.h"
#include "tests/extract/PakloomTesting.h"
#include "tests/support/ScratchDir.h"

namespace SevenZip {
namespace {

namespace fs = std::filesystem;
using pakloom::test::RecordLine;
using pakloom::test::TakeRecordedLines;
using ::testing::ElementsAre;

// Answers GetProperty with a fixed result and variant type, and counts the
// references the callback takes on it.
class FakeArchive final : public IInArchive {
public:
    Result PAKLOOM_ENGINE_CALL QueryInterface(const Guid&, void**) override { return kNoInterface; }
    std::uint32_t PAKLOOM_ENGINE_CALL AddRef() override { return ++references; }
    std::uint32_t PAKLOOM_ENGINE_CALL Release() override { return --references; }
    Result PAKLOOM_ENGINE_CALL Open(IInStream*, const std::uint64_t*, IArchiveOpenCallback*) override {
        return kFail;
    }
    Result PAKLOOM_ENGINE_CALL Close() override { return kFail; }
    Result PAKLOOM_ENGINE_CALL GetNumberOfItems(std::uint32_t*) override { return kFail; }
    Result PAKLOOM_ENGINE_CALL GetProperty(std::uint32_t, std::uint32_t id, void* value) override {
        const std::uint16_t type = id == kPropertyPath ? pathType : flagType;
        std::memcpy(value, &type, sizeof type);
        return id == kPropertyPath ? pathResult : flagResult;
    }
    Result PAKLOOM_ENGINE_CALL Extract(const std::uint32_t*, std::uint32_t, std::int32_t,
                                       IArchiveExtractCallback*) override {
        return kFail;
    }

    std::uint32_t references = 0;
    Result pathResult = kOk;
    std::uint16_t pathType = 0;
    Result flagResult = kOk;
    std::uint16_t flagType = 0;
};

template <class Interface, class Object>
Result Ask(Object* object, const Guid& iid, Interface** out) {
    return object->QueryInterface(iid, reinterpret_cast<void**>(out));
}

class EngineObjectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetHostLogCallback(RecordLine);
        TakeRecordedLines();
    }
    void TearDown() override { SetHostLogCallback(nullptr); }

    std::u16string File(const std::string& name, const std::string& content) {
        const fs::path path = scratch_.path() / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.u16string();
    }

    tarnwick::test::ScratchDir scratch_;
};

TEST_F(EngineObjectsTest, InputStreamAnswersItsInterfacesOnly) {
    InterfaceHolder<FileInStream> stream(new FileInStream(File("in.bin", "0123456789")));
    IUnknown* unknown = nullptr;
    IInStream* input = nullptr;
    IStreamGetSize* size = nullptr;
    void* untouched = &unknown;
    EXPECT_EQ(Ask(stream.Get(), kIUnknownId, &unknown), kOk);
    EXPECT_EQ(Ask(stream.Get(), kIInStreamId, &input), kOk);
    EXPECT_EQ(unknown, static_cast<IUnknown*>(input));
    EXPECT_EQ(stream->QueryInterface(kISequentialInStreamId, &untouched), kNoInterface);
    EXPECT_EQ(untouched, &unknown);

    ASSERT_EQ(Ask(stream.Get(), kIStreamGetSizeId, &size), kOk);
    EXPECT_NE(static_cast<void*>(size), static_cast<void*>(input))
        << "the second interface has its own pointer";
    std::uint64_t bytes = 0;
    EXPECT_EQ(size->GetSize(&bytes), kOk);
    EXPECT_EQ(bytes, 10u);
    // Counts are the object's own, whichever pointer they go through.
    EXPECT_EQ(size->AddRef(), 5u);
    EXPECT_EQ(size->Release(), 4u);
    EXPECT_EQ(size->Release(), 3u);
    EXPECT_EQ(input->Release(), 2u);
    EXPECT_EQ(unknown->Release(), 1u);
}

TEST_F(EngineObjectsTest, InputStreamReadsAndSeeks) {
    InterfaceHolder<FileInStream> stream(new FileInStream(File("in.bin", "0123456789")));
    char buffer[16] = {};
    EXPECT_EQ(stream->Read(buffer, 4, nullptr), kFail);
    EXPECT_EQ(buffer[0], '\0') << "nothing is read without a place for the count";

    std::uint64_t position = 0;
    EXPECT_EQ(stream->Seek(0, 2, &position), kOk);
    EXPECT_EQ(position, 10u);
    EXPECT_EQ(stream->Seek(-4, 1, nullptr), kOk);
    std::uint32_t count = 99;
    EXPECT_EQ(stream->Read(buffer, sizeof buffer, &count), kOk);
    EXPECT_EQ(std::string(buffer, count), "6789");
    EXPECT_EQ(stream->Read(buffer, sizeof buffer, &count), kOk);
    EXPECT_EQ(count, 0u) << "the end of the file reads nothing";
}

TEST_F(EngineObjectsTest, OutputStreamWritesWithoutACountPointer) {
    const std::u16string path = File("out.bin", "old content, longer");
    {
        InterfaceHolder<FileOutStream> stream(new FileOutStream(path));
        EXPECT_EQ(stream->Write("new", 3, nullptr), kOk);
        IUnknown* other = nullptr;
        EXPECT_EQ(Ask(stream.Get(), kIStreamGetSizeId, &other), kNoInterface);
    }
    EXPECT_EQ(pakloom::test::FileText(fs::path(path)), "new");
}

TEST_F(EngineObjectsTest, CallbacksRefuseEveryPasswordRequest) {
    InterfaceHolder<ArchiveOpenCallback> open(new ArchiveOpenCallback);
    FakeArchive archive;
    InterfaceHolder<ArchiveExtractCallback> extract(new ArchiveExtractCallback(&archive, u"dest"));

    ICryptoGetTextPassword* password = nullptr;
    void* given = nullptr;
    ASSERT_EQ(Ask(open.Get(), kICryptoGetTextPasswordId, &password), kOk);
    EXPECT_EQ(password->CryptoGetTextPassword(&given), kAbort);
    EXPECT_EQ(given, nullptr);
    password->Release();
    ASSERT_EQ(Ask(extract.Get(), kICryptoGetTextPasswordId, &password), kOk);
    EXPECT_EQ(password->CryptoGetTextPassword(&given), kAbort);
    password->Release();

    IUnknown* progress = nullptr;
    EXPECT_EQ(Ask(extract.Get(), kIProgressId, &progress), kNoInterface);
    EXPECT_EQ(Ask(open.Get(), kIArchiveExtractCallbackId, &progress), kNoInterface);
}

TEST_F(EngineObjectsTest, ExtractCallbackHoldsTheArchiveUntilItGoes) {
    FakeArchive archive;
    {
        InterfaceHolder<ArchiveExtractCallback> extract(new ArchiveExtractCallback(&archive, u"dest"));
        EXPECT_EQ(archive.references, 1u);
    }
    EXPECT_EQ(archive.references, 0u);
}

TEST_F(EngineObjectsTest, UnusablePathPropertiesAreReported) {
    FakeArchive archive;
    InterfaceHolder<ArchiveExtractCallback> extract(new ArchiveExtractCallback(&archive, u"dest"));
    ISequentialOutStream* stream = nullptr;

    archive.pathResult = kAbort;
    EXPECT_EQ(extract->GetStream(0, &stream, 0), kAbort);
    archive.pathResult = kOk;
    EXPECT_EQ(extract->GetStream(0, &stream, 0), kFail);
    archive.pathType = 11;
    EXPECT_EQ(extract->GetStream(0, &stream, 0), kFail);

    EXPECT_EQ(stream, nullptr);
    const std::string place = "SevenZip::ArchiveExtractCallback::GetStream: ";
    EXPECT_THAT(TakeRecordedLines(),
                ElementsAre(place + "Failed to get \"path\" property: 0x80004004.",
                            place + "Failed to get \"path\" property. Property is empty.",
                            place + "Failed to get \"path\" property. Property is not a string."));
}

}  // namespace
}  // namespace SevenZip
