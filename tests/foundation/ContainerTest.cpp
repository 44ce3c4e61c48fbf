#include "TestBytes.h"
#include "TestClasses.h"

#include "foundation/AtomicFile.h"
#include "foundation/ComponentImage.h"
#include "foundation/StreamError.h"
#include "foundation/ZLibContainer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class Container : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterTestClasses();
    FDir = fs::temp_directory_path() /
           ("plandeck-container-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(FDir);
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }

  std::string Path(const char* name) const { return (FDir / name).string(); }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(FDir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path FDir;
};

Bytes ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

void WriteFile(const std::string& path, const Bytes& data) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

Bytes Deflate(const Bytes& data, int level = Z_DEFAULT_COMPRESSION) {
  uLongf len = compressBound(data.size());
  Bytes out(len);
  EXPECT_EQ(compress2(out.data(), &len, data.data(), data.size(), level), Z_OK);
  out.resize(len);
  return out;
}

Bytes Inflate(const Bytes& data, std::size_t size) {
  Bytes out(size);
  uLongf len = size;
  EXPECT_EQ(uncompress(out.data(), &len, data.data(), data.size()), Z_OK);
  out.resize(len);
  return out;
}

// A drawing-like file written out by hand: header, then the image of a
// TTestRoot whose project value is 3 and whose space list is empty.
Bytes HandBuiltContainerContent() {
  ByteBuilder image;
  image("TPF0").Str("TTestRoot")({0});
  image.Str("TxProject.TxSpaces.P")({0x02, 0x00});
  image.Str("TxProject.TxSpaces.S")({0x0A, 4, 0, 0, 0, 0, 0, 0, 0});
  image.Str("TxProject.P")({0x02, 0x03});
  image.Str("TxProject.S")({0x0A, 0, 0, 0, 0});
  image({0, 0});
  ByteBuilder file;
  file({0xFF, 0x0A, 0x00})("TTESTROOT")({0x00, 0x30, 0x10, static_cast<int>(image.b.size()), 0, 0, 0});
  file.b.insert(file.b.end(), image.b.begin(), image.b.end());
  return file.b;
}


// Passes bytes through until its budget is spent, then fails like a full disk.
class TFailingStream : public TStream {
public:
  TFailingStream(TStream& Inner, std::size_t Budget) : FInner(Inner), FBudget(Budget) {}
  std::size_t Read(void*, std::size_t) override { return 0; }
  void Write(const void* Buffer, std::size_t Count) override {
    if (Count > FBudget) {
      FInner.Write(Buffer, FBudget);
      throw EStreamError("Cannot write file: No space left on device");
    }
    FBudget -= Count;
    FInner.Write(Buffer, Count);
  }

private:
  TStream& FInner;
  std::size_t FBudget;
};

}  // namespace

TEST_F(Container, HandBuiltFileReadsIntoTheRoot) {
  WriteFile(Path("a.gck"), Deflate(HandBuiltContainerContent()));
  TTestRoot root;
  ReadZLibComponentResFile(Path("a.gck"), root);
  EXPECT_EQ(root.FProject->FValue, 3);
  EXPECT_EQ(root.FProject->FSpaces->Count(), 0);
}

TEST_F(Container, WrittenFileIsLevelOneZlibOfHeaderAndImage) {
  TTestRoot root;
  root.FProject->FValue = 3;
  WriteZLibComponentResFile(Path("b.gck"), root);
  const Bytes file = ReadFile(Path("b.gck"));
  ASSERT_GE(file.size(), 6u);
  // zlib header for deflate, 32 KB window, fastest level.
  EXPECT_EQ(file[0], 0x78);
  EXPECT_EQ(file[1], 0x01);
  const Bytes expected = HandBuiltContainerContent();
  EXPECT_EQ(Inflate(file, expected.size() + 16), expected);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"b.gck"});
}

TEST_F(Container, BadHeaderIsInvalidStreamFormat) {
  Bytes content = HandBuiltContainerContent();
  content[0] = 0xFE;
  WriteFile(Path("c.gck"), Deflate(content));
  TTestRoot root;
  EXPECT_EQ(ErrorOf([&] { ReadZLibComponentResFile(Path("c.gck"), root); }), StreamMsg::InvalidStreamFormat);
}

TEST_F(Container, TruncatedOrCorruptedCompressionIsAnError) {
  const Bytes good = Deflate(HandBuiltContainerContent());
  for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{2}, good.size() / 2, good.size() - 1}) {
    WriteFile(Path("t.gck"), Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)));
    TTestRoot root;
    EXPECT_EQ(ErrorOf([&] { ReadZLibComponentResFile(Path("t.gck"), root); }), StreamMsg::CompressionError) << n;
  }
  // A flipped bit inside the data fails the checksum or the decoder.
  for (std::size_t at = 2; at < good.size(); at += 7) {
    Bytes bad = good;
    bad[at] ^= 0x10;
    WriteFile(Path("x.gck"), bad);
    TTestRoot root;
    EXPECT_THROW(ReadZLibComponentResFile(Path("x.gck"), root), EStreamError) << at;
  }
  WriteFile(Path("plain.gck"), HandBuiltContainerContent());
  TTestRoot root;
  EXPECT_EQ(ErrorOf([&] { ReadZLibComponentResFile(Path("plain.gck"), root); }), StreamMsg::CompressionError);
}

TEST_F(Container, OversizedImageIsRefused) {
  // Two megabytes of zeros compress to a few kilobytes.
  const Bytes bomb = Deflate(Bytes(2 << 20, 0));
  TMemoryStream in(bomb);
  TTestRoot root;
  EXPECT_EQ(ErrorOf([&] { ReadZLibComponentFromStream(in, root, 1 << 20); }), StreamMsg::ImageTooLarge);
}

TEST_F(Container, ReadingStartsAtTheStreamPositionAndIgnoresTrailingBytes) {
  Bytes data{'J', 'U', 'N', 'K'};
  const Bytes z = Deflate(HandBuiltContainerContent());
  data.insert(data.end(), z.begin(), z.end());
  data.insert(data.end(), {'M', 'O', 'R', 'E'});
  TMemoryStream in(data);
  in.SetPosition(4);
  TTestRoot root;
  ReadZLibComponentFromStream(in, root);
  EXPECT_EQ(root.FProject->FValue, 3);
}

TEST_F(Container, MissingFileIsReportedWithItsName) {
  TTestRoot root;
  const std::string msg = ErrorOf([&] { ReadZLibComponentResFile(Path("none.gck"), root); });
  EXPECT_NE(msg.find("none.gck"), std::string::npos) << msg;
}

TEST_F(Container, SaveFailingHalfWayLeavesTheOldFileUntouched) {
  const Bytes old{'o', 'l', 'd', ' ', 'd', 'r', 'a', 'w', 'i', 'n', 'g'};
  WriteFile(Path("site.gck"), old);
  TTestRoot root;
  for (int i = 0; i < 50; ++i) root.FProject->FSpaces->AddObject();
  for (std::size_t budget : {std::size_t{0}, std::size_t{1}, std::size_t{10}, std::size_t{100}}) {
    EXPECT_THROW(SaveFileAtomically(Path("site.gck"),
                                    [&](TStream& out) {
                                      TFailingStream failing(out, budget);
                                      WriteZLibComponentToStream(failing, root);
                                    }),
                 EStreamError);
    EXPECT_EQ(ReadFile(Path("site.gck")), old);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"site.gck"});
  }
}

TEST_F(Container, SaveIntoAMissingFolderFailsAndCreatesNothing) {
  TTestRoot root;
  EXPECT_THROW(WriteZLibComponentResFile(Path("no/such/folder/a.gck"), root), EStreamError);
  EXPECT_TRUE(FolderEntries().empty());
}

TEST_F(Container, SaveKeepsPermissionsAndSymbolicLinks) {
  WriteFile(Path("real.gck"), {'x'});
  ::chmod(Path("real.gck").c_str(), 0640);
  fs::create_symlink(Path("real.gck"), Path("link.gck"));
  TTestRoot root;
  root.FProject->FValue = 3;
  WriteZLibComponentResFile(Path("link.gck"), root);
  EXPECT_TRUE(fs::is_symlink(Path("link.gck")));
  struct stat st;
  ASSERT_EQ(::stat(Path("real.gck").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  TTestRoot back;
  ReadZLibComponentResFile(Path("real.gck"), back);
  EXPECT_EQ(back.FProject->FValue, 3);
}

TEST_F(Container, RoundTripThroughAFileKeepsEveryValue) {
  TTestListRoot root;
  for (int i = 0; i < 1000; ++i) {
    auto item = std::make_unique<TTestItem>();
    item->FNumber = i * 977 - 300000;
    item->FValue = i / 7.0;
    item->FText = i % 2 ? "塔吊" + std::to_string(i) : std::string(300, 'x');
    item->FBlob = {static_cast<std::uint8_t>(i), 0};
    root.FItems->Add(std::move(item));
  }
  WriteZLibComponentResFile(Path("r.gck"), root);
  TTestListRoot back;
  ReadZLibComponentResFile(Path("r.gck"), back);
  ASSERT_EQ(back.FItems->Count(), 1000);
  for (int i = 0; i < 1000; ++i) {
    auto* a = static_cast<TTestItem*>(root.FItems->Items(i));
    auto* b = static_cast<TTestItem*>(back.FItems->Items(i));
    ASSERT_EQ(a->FNumber, b->FNumber);
    ASSERT_EQ(a->FValue, b->FValue);
    ASSERT_EQ(a->FText, b->FText);
    ASSERT_EQ(a->FBlob, b->FBlob);
  }
}
