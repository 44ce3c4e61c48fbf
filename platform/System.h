#pragma once
// Process-wide helpers shared by every layer: the screen resolution and the one
// message-box helper every user question goes through. No Qt here.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Vertical logical pixels per inch of the screen; 96 until initialised.
// Defined with the streaming base, whose font records store it.
extern std::int32_t ScreenLogPixels;
// Reads the primary screen's logical DPI; keeps 96 without a screen.
void InitScreenLogPixels();

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };
enum TMsgDlgBtn : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };
using TMsgDlgButtons = unsigned;
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

struct TMessageRequest {
  std::string Text;  // UTF-8
  std::string Caption;
  TMsgDlgType Type = mtInformation;
  TMsgDlgButtons Buttons = mbOK;
};

// When set, MessageDlg asks the hook instead of showing a box; tests answer
// questions this way. Returns the previous hook.
using TMessageAnswerHook = std::function<TModalResult(const TMessageRequest&)>;
TMessageAnswerHook SetMessageAnswerHook(TMessageAnswerHook hook);

// Shows a modal box and returns the button pressed. Without a widget
// application (and without a hook) nothing can be shown; the answer is then
// the cautious one: mrCancel or mrNo when offered, else mrOk.
TModalResult MessageDlg(std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons);

// OK/Cancel confirmation; true on OK.
bool Confirm(std::string_view msg);
// Information box with OK.
void ShowMessage(std::string_view msg);

// Installs an answering hook for its lifetime and records every question.
class TScopedMessageAnswer {
 public:
  explicit TScopedMessageAnswer(TModalResult answer);
  ~TScopedMessageAnswer();
  TScopedMessageAnswer(const TScopedMessageAnswer&) = delete;
  TScopedMessageAnswer& operator=(const TScopedMessageAnswer&) = delete;
  const std::vector<TMessageRequest>& Asked() const { return asked_; }

 private:
  TMessageAnswerHook previous_;
  std::vector<TMessageRequest> asked_;
};
