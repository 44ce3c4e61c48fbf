#pragma once
// The persistent bases of every saved object and their change notification.

#include "foundation/ClassRegistry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TReader;
class TWriter;
class TStream;

// Declares the defined properties of an object ("P" and "S"); the image writer
// and reader implement it.
class TFiler {
public:
  using TReaderProc = std::function<void(TReader&)>;
  using TWriterProc = std::function<void(TWriter&)>;
  using TStreamProc = std::function<void(TStream&)>;
  virtual ~TFiler() = default;
  virtual void DefineProperty(const char* Name, const TReaderProc& ReadData,
                              const TWriterProc& WriteData, bool HasData) = 0;
  virtual void DefineBinaryProperty(const char* Name, const TStreamProc& ReadData,
                                    const TStreamProc& WriteData, bool HasData) = 0;
};

// A published object slot: a named sub-object whose properties are streamed
// under "Name." in front of its own.
struct TPublishedSlot {
  const char* Name;
  class TPersistent* Object;
};
using TPublishedSlots = std::vector<TPublishedSlot>;

// The platform's persistent base: class identity, assignment, defined properties.
class TPersistent {
public:
  virtual ~TPersistent() = default;
  TPersistent() = default;
  TPersistent(const TPersistent&) = delete;
  TPersistent& operator=(const TPersistent&) = delete;

  static const TMetaClass& StaticClass();
  virtual const TMetaClass& ClassType() const;
  const char* ClassName() const { return ClassType().Name; }
  bool InheritsFrom(const TMetaClass& Class) const { return ClassType().InheritsFrom(Class); }

  virtual void AssignTo(TPersistent& Dest) const;
  virtual void DefineProperties(TFiler& Filer);
  void Assign(const TPersistent& Source) { Source.AssignTo(*this); }
  // Published object slots in declaration order; a derived class appends after its base.
  virtual void GetPublishedSlots(TPublishedSlots& Slots);
};

class TMyPersistent : public TPersistent {
  PLANDECK_DECLARE_CLASS(TMyPersistent)
public:
  explicit TMyPersistent(TMyPersistent* AOwner = nullptr) : FOwner(AOwner) {}

  void DefineProperties(TFiler& Filer) override;

  virtual void ReadData(TReader& Reader);
  virtual void WriteData(TWriter& Writer);
  virtual void ReadStream(TStream& Stream);
  virtual void WriteStream(TStream& Stream);
  virtual void Invalidate();
  virtual void Modified();
  virtual void Refresh();
  virtual void Loaded();
  // How a failing save names this object to the user; empty when it has no
  // name of its own and the failure is better said of its owner.
  virtual std::string ErrorSubject() const;

  TMyPersistent* FOwner = nullptr;
  bool FChanging = false;
};

// Sets FChanging for a scope and restores its previous value, also on failure.
class TChangingGuard {
public:
  explicit TChangingGuard(TMyPersistent& Obj) : FObj(Obj), FOld(Obj.FChanging) { Obj.FChanging = true; }
  ~TChangingGuard() { FObj.FChanging = FOld; }
  TChangingGuard(const TChangingGuard&) = delete;
  TChangingGuard& operator=(const TChangingGuard&) = delete;

private:
  TMyPersistent& FObj;
  bool FOld;
};

class TTxPersistent : public TMyPersistent {
  PLANDECK_DECLARE_CLASS(TTxPersistent)
public:
  explicit TTxPersistent(TMyPersistent* AOwner = nullptr) : TMyPersistent(AOwner) {}
  void Invalidate() override;
  void Modified() override;
};

class TCapPersistent : public TTxPersistent {
  PLANDECK_DECLARE_CLASS(TCapPersistent)
public:
  explicit TCapPersistent(TMyPersistent* AOwner = nullptr);
  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;

  std::string FCaption;
  std::string FDescription;
};

// The platform component: what can be the root of an image. Roots have no name
// and no children; they stream through their published slots and, optionally,
// their own defined properties.
class TComponent : public TPersistent {
  PLANDECK_DECLARE_CLASS(TComponent)
public:
  explicit TComponent(TMyPersistent* = nullptr) {}
};

// Font style bits in the order of the saved set.
enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// The font of text-bearing figures; figures save its fields in their own values.
class TMyFont : public TPersistent {
  PLANDECK_DECLARE_CLASS(TMyFont)
public:
  explicit TMyFont(TMyPersistent* = nullptr) {}
  void AssignTo(TPersistent& Dest) const override;

  std::string FName = "宋体";
  std::uint32_t FColor = 0;
  double FHeight = 11.0;
  std::uint8_t FStyle = 0;
  std::int32_t FPixelsPerInch = 96;
};

// Vertical pixels per logical inch of the screen, set once at start-up.
extern std::int32_t ScreenLogPixels;
