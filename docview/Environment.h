#pragma once
// The user's settings, kept in Plandeck.env beside the program or, where
// the program's folder takes no writes, in the per-user configuration folder.

#include "foundation/Persistent.h"

#include <cstdint>
#include <memory>
#include <string>

class TEnvironment : public TMyPersistent {
  PLANDECK_DECLARE_CLASS(TEnvironment)
public:
  explicit TEnvironment(TMyPersistent* AOwner = nullptr);

  // Restores the defaults of the options dialog (not the capture settings,
  // the printer type or the ortho mode).
  void Init();
  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;

  std::string FFileName;
  bool FShowNewDialog = true;
  double FDefaultWidth = 420.0;
  double FDefaultHeight = 297.0;
  std::int32_t FCursorLx = 0;
  std::int32_t FSelectMode = 0;
  std::int32_t FOffsetX = 1;
  std::int32_t FOffsetY = 1;
  std::int32_t FCaptureBj = 8;
  std::uint8_t FPointLxSet = 0;  // bit i for snap kind i
  std::uint32_t FCaptureColor = 255;
  bool FDeleteConfirm = true;
  std::uint32_t FViewBackColor = 0xFFFFFF;
  bool FAllowMove = true;
  bool FOrtho = false;
  std::uint8_t FCursorPenStyle = 0;
  std::int32_t FUndoCount = 5;
  std::int32_t FPrinterLx = 0;
};

// The root of the environment file.
class TEnvironmentComponent : public TComponent {
  PLANDECK_DECLARE_CLASS(TEnvironmentComponent)
public:
  explicit TEnvironmentComponent(TMyPersistent* = nullptr) : FEnvironment(std::make_unique<TEnvironment>()) {}
  void GetPublishedSlots(TPublishedSlots& Slots) override { Slots.push_back({"Environment", FEnvironment.get()}); }

  std::unique_ptr<TEnvironment> FEnvironment;
};

// The running program's environment; set by the main window at start-up.
extern TEnvironment* SysEnvironment;
// The program's folder, with a trailing separator.
extern std::string Dir_Sys;
void InitDirSys();

inline constexpr const char* EnvironmentFileName = "Plandeck.env";

// Loads Folder + "Plandeck.env" when it exists. A damaged file changes
// nothing: it is read into a scratch copy first. Returns false on failure.
bool LoadEnvironment(TEnvironmentComponent& Component, const std::string& Folder);
// Writes the file atomically; returns false (and keeps the old file) on failure.
bool SaveEnvironment(TEnvironmentComponent& Component, const std::string& Folder);

// The per-user configuration folder of the program (from QStandardPaths),
// with a trailing separator.
std::string UserEnvironmentFolder();
// Whether a new Plandeck.env may be written into Folder.
bool FolderTakesWrites(const std::string& Folder);

// Where the running program keeps its settings. The rule: the file in the
// program's folder is read first, as shipped or as last written there; a
// file in the user's folder, when there is one, is read over it, because it
// only comes to exist when the program's folder took no writes and so holds
// the user's later changes. Writing goes to the file that the next start
// reads last: the user's file once it exists, else the program's folder
// when it takes writes, else the user's folder (created then).
bool LoadProgramEnvironment(TEnvironmentComponent& Component, const std::string& ProgramFolder,
                            const std::string& UserFolder);
// The path written, or "" when neither place took the file.
std::string SaveProgramEnvironment(TEnvironmentComponent& Component, const std::string& ProgramFolder,
                                   const std::string& UserFolder);

void RegisterEnvironmentClasses();
