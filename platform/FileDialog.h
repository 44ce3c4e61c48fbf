#pragma once
// The open and save dialogs and the one-line input box, behind hooks so tests
// answer them without a human, like MessageDlg. No Qt here.

#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct TFileDialogRequest {
  bool Save = false;
  std::string Caption;
  // The program's filter text: "描述|*.GCK|描述|*.DXF|...". Patterns match
  // case-insensitively.
  std::string Filter;
  int FilterIndex = 1;       // 1-based, as the filters are listed
  std::string InitialDir;    // used when it exists
  std::string FileName;      // proposed name (save)
};

struct TFileDialogAnswer {
  bool Ok = false;
  std::string FileName;      // UTF-8 path
  int FilterIndex = 1;       // 1-based: the filter the user chose
};

// The entries Qt's dialog lists for a filter text: "描述 (*.A *.B)", each
// pattern once even where the description already names it.
std::vector<std::string> FileDialogFilters(const std::string& Filter);

// Where a dialog about FileName starts: the file's own folder when the name
// has one that exists, otherwise Fallback.
std::string StartFolderFor(const std::string& FileName, const std::string& Fallback);

// What the user is told when a file could not be read or written: a first
// line in Chinese saying what failed with which file, and why where that is
// known ("没有访问权限"); then the technical text (the English of the lower
// layers and the system, kept for whoever looks into it) on a line of its
// own. A Message already written for the user (in Chinese) is the reason
// itself, and only Detail goes below.
// OpenPart: read only in part (what was read is kept).
enum class TFileAction { Open, OpenPart, Save, Import, Export };
std::string FileErrorMessage(TFileAction Action, const std::string& FileName, const std::string& Message,
                             const std::string& Detail = {});
// The same for a caught exception (its text, and an EStreamError's detail).
std::string FileErrorMessage(TFileAction Action, const std::string& FileName, const std::exception& Error);

using TFileDialogHook = std::function<TFileDialogAnswer(const TFileDialogRequest&)>;
// Returns the previous hook.
TFileDialogHook SetFileDialogHook(TFileDialogHook Hook);
// Modal; without a widget application (and without a hook) the answer is Cancel.
TFileDialogAnswer RunFileDialog(const TFileDialogRequest& Request);

struct TInputRequest {
  std::string Caption;
  std::string Prompt;
  std::string Value;  // the default shown
};
// Returns true on OK with the typed text in Text.
using TInputHook = std::function<bool(const TInputRequest&, std::string& Text)>;
TInputHook SetInputHook(TInputHook Hook);
// The input box ("输入", "请输入缩放系数:"); false on Cancel.
bool InputQuery(const TInputRequest& Request, std::string& Text);

// Installs a file-dialog answer for its lifetime and records every request.
class TScopedFileDialogAnswer {
 public:
  explicit TScopedFileDialogAnswer(TFileDialogAnswer Answer);
  ~TScopedFileDialogAnswer();
  TScopedFileDialogAnswer(const TScopedFileDialogAnswer&) = delete;
  TScopedFileDialogAnswer& operator=(const TScopedFileDialogAnswer&) = delete;
  const std::vector<TFileDialogRequest>& Asked() const { return asked_; }

 private:
  TFileDialogHook previous_;
  std::vector<TFileDialogRequest> asked_;
};
