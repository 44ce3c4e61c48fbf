#include "platform/System.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

void InitScreenLogPixels() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const int dpi = qRound(screen->logicalDotsPerInchY());
    if (dpi > 0) ScreenLogPixels = dpi;
  }
}

namespace {
TMessageAnswerHook& Hook() {
  static TMessageAnswerHook hook;
  return hook;
}

const char* CaptionFor(TMsgDlgType type) {
  switch (type) {
    case mtWarning: return "警告";
    case mtError: return "错误";
    case mtConfirmation: return "确认";
    case mtInformation: break;
  }
  return "信息";
}

TModalResult CautiousAnswer(TMsgDlgButtons buttons) {
  if (buttons & mbCancel) return mrCancel;
  if (buttons & mbNo) return mrNo;
  return buttons & mbYes ? mrYes : mrOk;
}
}  // namespace

TMessageAnswerHook SetMessageAnswerHook(TMessageAnswerHook hook) {
  TMessageAnswerHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

TModalResult MessageDlg(std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons) {
  TMessageRequest request{std::string(text), CaptionFor(type), type, buttons};
  if (Hook()) return Hook()(request);
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return CautiousAnswer(buttons);

  QMessageBox::Icon icon = QMessageBox::Information;
  if (type == mtWarning) icon = QMessageBox::Warning;
  if (type == mtError) icon = QMessageBox::Critical;
  if (type == mtConfirmation) icon = QMessageBox::Question;
  QMessageBox box(icon, QString::fromUtf8(request.Caption.data(), qsizetype(request.Caption.size())),
                  QString::fromUtf8(text.data(), qsizetype(text.size())));
  struct Choice {
    TMsgDlgBtn btn;
    QMessageBox::StandardButton qt;
    TModalResult result;
  };
  static constexpr Choice kChoices[] = {{mbYes, QMessageBox::Yes, mrYes},
                                        {mbNo, QMessageBox::No, mrNo},
                                        {mbOK, QMessageBox::Ok, mrOk},
                                        {mbCancel, QMessageBox::Cancel, mrCancel}};
  for (const Choice& c : kChoices)
    if (buttons & c.btn) box.addButton(c.qt);
  const auto pressed = QMessageBox::StandardButton(box.exec());
  for (const Choice& c : kChoices)
    if (c.qt == pressed) return c.result;
  return CautiousAnswer(buttons);  // closed with Escape or the title bar
}

bool Confirm(std::string_view msg) { return MessageDlg(msg, mtConfirmation, mbOK | mbCancel) == mrOk; }

void ShowMessage(std::string_view msg) { MessageDlg(msg, mtInformation, mbOK); }

TScopedMessageAnswer::TScopedMessageAnswer(TModalResult answer) {
  previous_ = SetMessageAnswerHook([this, answer](const TMessageRequest& request) {
    asked_.push_back(request);
    return answer;
  });
}

TScopedMessageAnswer::~TScopedMessageAnswer() { SetMessageAnswerHook(std::move(previous_)); }
