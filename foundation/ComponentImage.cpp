#include "foundation/ComponentImage.h"

#include "foundation/ComponentLists.h"
#include "foundation/Persistent.h"
#include "foundation/StreamError.h"
#include "foundation/Streams.h"
#include "foundation/ValueStream.h"

#include <cstring>
#include <string>

namespace {

constexpr std::uint8_t kSignature[4] = {'T', 'P', 'F', '0'};
constexpr std::size_t kMaxResourceName = 63;
constexpr std::size_t kResourceHeaderWindow = 79;
constexpr std::uint16_t kResourceMemoryFlags = 0x1030;
constexpr std::uint16_t kRcData = 10;

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

class TImageWriter : public TFiler {
public:
  explicit TImageWriter(TWriter& W) : FW(W) {}

  void WriteObject(TPersistent& Obj, const std::string& Prefix) {
    TPublishedSlots slots;
    Obj.GetPublishedSlots(slots);
    for (const TPublishedSlot& slot : slots) WriteObject(*slot.Object, Prefix + slot.Name + ".");
    FPrefix = Prefix;
    Obj.DefineProperties(*this);
  }

  void DefineProperty(const char* Name, const TReaderProc&, const TWriterProc& WriteData,
                      bool HasData) override {
    if (!HasData) return;
    FW.WriteStr(FPrefix + Name);
    WriteData(FW);
  }

  void DefineBinaryProperty(const char* Name, const TStreamProc&, const TStreamProc& WriteData,
                            bool HasData) override {
    if (!HasData) return;
    FW.WriteStr(FPrefix + Name);
    TMemoryStream data;
    WriteData(data);
    FW.WriteBinary(data.Data());
  }

private:
  TWriter& FW;
  std::string FPrefix;
};

// Hands one named property of one object to that object's reader.
class TPropertyReader : public TFiler {
public:
  TPropertyReader(TReader& R, std::string_view Name) : FR(R), FName(Name) {}
  bool Found() const { return FFound; }

  void DefineProperty(const char* Name, const TReaderProc& ReadData, const TWriterProc&, bool) override {
    if (FFound || !SameTextAscii(Name, FName)) return;
    FFound = true;
    ReadData(FR);
  }

  void DefineBinaryProperty(const char* Name, const TStreamProc& ReadData, const TStreamProc&,
                            bool) override {
    if (FFound || !SameTextAscii(Name, FName)) return;
    FFound = true;
    TMemoryStream data(FR.ReadBinary());
    ReadData(data);  // bytes the object leaves unread are dropped
  }

private:
  TReader& FR;
  std::string_view FName;
  bool FFound = false;
};

void ReadProperty(TReader& R, TPersistent& Root, const std::string& Path) {
  TPersistent* obj = &Root;
  std::string_view rest(Path);
  for (auto dot = rest.find('.'); dot != std::string_view::npos; dot = rest.find('.')) {
    const std::string_view slotName = rest.substr(0, dot);
    TPublishedSlots slots;
    obj->GetPublishedSlots(slots);
    TPersistent* next = nullptr;
    for (const TPublishedSlot& slot : slots)
      if (SameTextAscii(slot.Name, slotName)) next = slot.Object;
    if (!next) throw EStreamError(StreamMsg::InvalidPropertyPath);
    obj = next;
    rest.remove_prefix(dot + 1);
  }
  TPropertyReader reader(R, rest);
  obj->DefineProperties(reader);
  if (!reader.Found()) throw EStreamError(StreamMsg::PropertyDoesNotExist);
}

void ReadSignature(TReader& R) {
  std::uint8_t sig[4];
  R.Read(sig, 4);
  if (std::memcmp(sig, kSignature, 4) != 0) throw EStreamError(StreamMsg::InvalidStreamFormat);
}

// Returns the class name of the record, skipping a record prefix if present.
std::string ReadRecordHead(TReader& R) {
  if ((R.PeekByte() & 0xF0) == 0xF0) {
    const std::uint8_t flags = R.ReadByte();
    if (flags & 0x02) R.ReadInteger();  // position of an inherited child
  }
  std::string className = R.ReadStr();
  R.ReadStr();  // component name; the system's roots have none
  return className;
}

void ReadRecordBody(TReader& R, TPersistent& Root) {
  while (R.PeekByte() != 0) ReadProperty(R, Root, R.ReadStr());
  R.ReadByte();
  // The system's roots have no children; a child record would need a class we cannot place.
  if (R.ReadByte() != 0) throw EStreamError(StreamMsg::InvalidStreamFormat);
}

}  // namespace

namespace {
void WriteImage(TWriter& w, TPersistent& Root) {
  w.Write(kSignature, 4);
  w.WriteStr(Root.ClassName());
  w.WriteStr("");
  TImageWriter(w).WriteObject(Root, "");
  w.WriteByte(0);  // end of properties
  w.WriteByte(0);  // end of children
}
}  // namespace

std::vector<std::uint8_t> WriteComponentImage(TPersistent& Root) {
  std::vector<std::uint8_t> out;
  TWriter w(out);
  WriteImage(w, Root);
  return out;
}

void ReadComponentImage(std::span<const std::uint8_t> Image, TPersistent& Root) {
  TReader r(Image);
  ReadSignature(r);
  ReadRecordHead(r);
  ReadRecordBody(r, Root);
}

std::unique_ptr<TPersistent> ReadComponentImageNew(std::span<const std::uint8_t> Image) {
  TReader r(Image);
  ReadSignature(r);
  auto root = FindClass(ReadRecordHead(r)).Create(nullptr);
  ReadRecordBody(r, *root);
  return root;
}

std::vector<std::uint8_t> WriteResourceImage(TPersistent& Root) {
  std::string name = Root.ClassName();
  if (name.size() > kMaxResourceName) name.resize(kMaxResourceName);
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');

  std::vector<std::uint8_t> out;
  TWriter w(out);
  w.WriteByte(0xFF);
  w.Write(&kRcData, 2);
  w.Write(name.data(), name.size());
  w.WriteByte(0);
  w.Write(&kResourceMemoryFlags, 2);
  const std::size_t sizeAt = out.size();
  w.Write("\0\0\0\0", 4);
  WriteImage(w, Root);
  const auto size = static_cast<std::uint32_t>(out.size() - sizeAt - 4);
  std::memcpy(out.data() + sizeAt, &size, 4);
  return out;
}

std::size_t SkipResourceHeader(std::span<const std::uint8_t> Data) {
  const std::size_t window = std::min(Data.size(), kResourceHeaderWindow);
  if (window < 3 || Data[0] != 0xFF || Data[1] != kRcData || Data[2] != 0)
    throw EStreamError(StreamMsg::InvalidStreamFormat);
  const auto* nameEnd = static_cast<const std::uint8_t*>(std::memchr(Data.data() + 3, 0, window - 3));
  if (!nameEnd) throw EStreamError(StreamMsg::InvalidStreamFormat);
  const std::size_t imageAt = static_cast<std::size_t>(nameEnd - Data.data()) + 1 + 6;
  if (imageAt > Data.size()) throw EStreamError(StreamMsg::InvalidStreamFormat);
  return imageAt;
}

std::vector<std::uint8_t> WriteClipboardImage(TMyList& List) { return WriteComponentImage(List); }

std::unique_ptr<TMyList> ReadClipboardImage(std::span<const std::uint8_t> Image) {
  auto root = ReadComponentImageNew(Image);
  auto* list = dynamic_cast<TMyList*>(root.get());
  if (!list) throw EStreamError(StreamMsg::InvalidStreamFormat);
  root.release();
  return std::unique_ptr<TMyList>(list);
}

bool CheckClipboardImage(std::span<const std::uint8_t> Image) {
  try {
    return ReadClipboardImage(Image) != nullptr;
  } catch (const std::exception&) {
    return false;
  }
}
