#pragma once
// The open and save dialogs and the one-line input box, behind hooks so tests
// answer them without a human, like MessageDlg. No Qt here.

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
