#pragma once
// Answers successive message boxes and file dialogs from a script, for
// commands that ask more than one question, and records every request.
// Past the end of the script the answer is the cautious one (Cancel).

#include "platform/FileDialog.h"
#include "platform/System.h"

#include <cstddef>
#include <utility>
#include <vector>

class TScriptedMessageAnswers {
public:
  explicit TScriptedMessageAnswers(std::vector<TModalResult> Answers) : FAnswers(std::move(Answers)) {
    FPrevious = SetMessageAnswerHook([this](const TMessageRequest& R) {
      FAsked.push_back(R);
      return FAsked.size() <= FAnswers.size() ? FAnswers[FAsked.size() - 1] : mrCancel;
    });
  }
  ~TScriptedMessageAnswers() { SetMessageAnswerHook(std::move(FPrevious)); }
  TScriptedMessageAnswers(const TScriptedMessageAnswers&) = delete;
  TScriptedMessageAnswers& operator=(const TScriptedMessageAnswers&) = delete;

  const std::vector<TMessageRequest>& Asked() const { return FAsked; }

private:
  std::vector<TModalResult> FAnswers;
  std::vector<TMessageRequest> FAsked;
  TMessageAnswerHook FPrevious;
};

class TScriptedFileDialogAnswers {
public:
  explicit TScriptedFileDialogAnswers(std::vector<TFileDialogAnswer> Answers) : FAnswers(std::move(Answers)) {
    FPrevious = SetFileDialogHook([this](const TFileDialogRequest& R) {
      FAsked.push_back(R);
      return FAsked.size() <= FAnswers.size() ? FAnswers[FAsked.size() - 1] : TFileDialogAnswer{};
    });
  }
  ~TScriptedFileDialogAnswers() { SetFileDialogHook(std::move(FPrevious)); }
  TScriptedFileDialogAnswers(const TScriptedFileDialogAnswers&) = delete;
  TScriptedFileDialogAnswers& operator=(const TScriptedFileDialogAnswers&) = delete;

  const std::vector<TFileDialogRequest>& Asked() const { return FAsked; }

private:
  std::vector<TFileDialogAnswer> FAnswers;
  std::vector<TFileDialogRequest> FAsked;
  TFileDialogHook FPrevious;
};
