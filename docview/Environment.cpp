#include "docview/Environment.h"

#include "foundation/StreamError.h"
#include "foundation/ValueStream.h"
#include "foundation/ZLibContainer.h"

#include <QStandardPaths>

#include <filesystem>
#include <system_error>
#include <unistd.h>

TEnvironment* SysEnvironment = nullptr;
std::string Dir_Sys;

PLANDECK_DEFINE_CLASS(TEnvironment, TMyPersistent)

TEnvironment::TEnvironment(TMyPersistent* AOwner) : TMyPersistent(AOwner) {
  Init();
  FCaptureBj = 8;
  FPointLxSet = 0;
  FCaptureColor = 255;
  FPrinterLx = 0;
}

void TEnvironment::Init() {
  FShowNewDialog = true;
  FDefaultWidth = 420.0;
  FDefaultHeight = 297.0;
  FCursorLx = 0;
  FSelectMode = 0;
  FOffsetX = 1;
  FOffsetY = 1;
  FDeleteConfirm = true;
  FViewBackColor = 0xFFFFFF;
  FAllowMove = true;
  FCursorPenStyle = 0;
  FUndoCount = 5;
}

void TEnvironment::ReadData(TReader& Reader) {
  FShowNewDialog = Reader.ReadBoolean();
  FDefaultWidth = Reader.ReadFloat();
  FDefaultHeight = Reader.ReadFloat();
  FCursorLx = Reader.ReadInteger();
  FSelectMode = Reader.ReadInteger();
  FOffsetX = Reader.ReadInteger();
  FOffsetY = Reader.ReadInteger();
  FCaptureBj = Reader.ReadInteger();
  Reader.Read(&FPointLxSet, 1);
  FCaptureColor = static_cast<std::uint32_t>(Reader.ReadInteger());
  FDeleteConfirm = Reader.ReadBoolean();
  FViewBackColor = static_cast<std::uint32_t>(Reader.ReadInteger());
  FAllowMove = Reader.ReadBoolean();
  FOrtho = Reader.ReadBoolean();
  Reader.Read(&FCursorPenStyle, 1);
  FUndoCount = Reader.ReadInteger();
  FPrinterLx = Reader.ReadInteger();
}

void TEnvironment::WriteData(TWriter& Writer) {
  Writer.WriteBoolean(FShowNewDialog);
  Writer.WriteFloat(FDefaultWidth);
  Writer.WriteFloat(FDefaultHeight);
  Writer.WriteInteger(FCursorLx);
  Writer.WriteInteger(FSelectMode);
  Writer.WriteInteger(FOffsetX);
  Writer.WriteInteger(FOffsetY);
  Writer.WriteInteger(FCaptureBj);
  Writer.Write(&FPointLxSet, 1);
  Writer.WriteInteger(static_cast<std::int32_t>(FCaptureColor));
  Writer.WriteBoolean(FDeleteConfirm);
  Writer.WriteInteger(static_cast<std::int32_t>(FViewBackColor));
  Writer.WriteBoolean(FAllowMove);
  Writer.WriteBoolean(FOrtho);
  Writer.Write(&FCursorPenStyle, 1);
  Writer.WriteInteger(FUndoCount);
  Writer.WriteInteger(FPrinterLx);
}

void TEnvironment::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TEnvironment*>(&Dest);
  if (!d) return;
  d->FShowNewDialog = FShowNewDialog;
  d->FDefaultWidth = FDefaultWidth;
  d->FDefaultHeight = FDefaultHeight;
  d->FCursorLx = FCursorLx;
  d->FSelectMode = FSelectMode;
  d->FOffsetX = FOffsetX;
  d->FOffsetY = FOffsetY;
  d->FCaptureBj = FCaptureBj;
  d->FPointLxSet = FPointLxSet;
  d->FCaptureColor = FCaptureColor;
  d->FDeleteConfirm = FDeleteConfirm;
  d->FViewBackColor = FViewBackColor;
  d->FAllowMove = FAllowMove;
  d->FCursorPenStyle = FCursorPenStyle;
  d->FUndoCount = FUndoCount;
  d->FPrinterLx = FPrinterLx;
}

PLANDECK_DEFINE_CLASS(TEnvironmentComponent, TComponent)

void InitDirSys() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  const auto folder = ec ? std::filesystem::current_path(ec) : exe.parent_path();
  Dir_Sys = folder.string();
  if (Dir_Sys.empty() || Dir_Sys.back() != '/') Dir_Sys += '/';
}

bool LoadEnvironment(TEnvironmentComponent& Component, const std::string& Folder) {
  const std::string path = Folder + EnvironmentFileName;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return false;
  try {
    TEnvironmentComponent scratch;
    ReadZLibComponentResFile(path, scratch);
    Component.FEnvironment->Assign(*scratch.FEnvironment);
    Component.FEnvironment->FOrtho = scratch.FEnvironment->FOrtho;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool SaveEnvironment(TEnvironmentComponent& Component, const std::string& Folder) {
  try {
    WriteZLibComponentResFile(Folder + EnvironmentFileName, Component);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::string UserEnvironmentFolder() {
  // Beside the recent-file settings of the same organisation and program.
  std::string folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString();
  if (folder.empty()) return {};
  if (folder.back() != '/') folder += '/';
  return folder + "Verdaplan/Plandeck/";
}

bool FolderTakesWrites(const std::string& Folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path dir = Folder.empty() ? fs::path(".") : fs::path(Folder);
  if (!fs::is_directory(dir, ec)) return false;
  // access() sees read-only mounts and the user's rights, but grants root
  // everything; a folder whose bits let nobody write is meant to stay as
  // installed, whoever runs the program.
  if (::access(dir.c_str(), W_OK | X_OK) != 0) return false;
  const fs::perms p = fs::status(dir, ec).permissions();
  if (ec) return false;
  return (p & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) != fs::perms::none;
}

namespace {
bool EnvironmentFileExists(const std::string& Folder) {
  std::error_code ec;
  return !Folder.empty() && std::filesystem::is_regular_file(Folder + EnvironmentFileName, ec);
}
}  // namespace

bool LoadProgramEnvironment(TEnvironmentComponent& Component, const std::string& ProgramFolder,
                            const std::string& UserFolder) {
  bool any = LoadEnvironment(Component, ProgramFolder);
  // A damaged user file leaves what the program's folder gave.
  if (!UserFolder.empty() && UserFolder != ProgramFolder && LoadEnvironment(Component, UserFolder)) any = true;
  return any;
}

std::string SaveProgramEnvironment(TEnvironmentComponent& Component, const std::string& ProgramFolder,
                                   const std::string& UserFolder) {
  const bool userFile = !UserFolder.empty() && UserFolder != ProgramFolder && EnvironmentFileExists(UserFolder);
  if (!userFile && FolderTakesWrites(ProgramFolder) && SaveEnvironment(Component, ProgramFolder))
    return ProgramFolder + EnvironmentFileName;
  if (UserFolder.empty()) return {};
  std::error_code ec;
  std::filesystem::create_directories(UserFolder, ec);
  if (SaveEnvironment(Component, UserFolder)) return UserFolder + EnvironmentFileName;
  return {};
}

void RegisterEnvironmentClasses() {
  RegisterClass(TEnvironment::StaticClass());
  RegisterClass(TEnvironmentComponent::StaticClass());
}
