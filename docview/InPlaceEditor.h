#pragma once
// The in-place editors of edit boxes and memos: a QLineEdit or a
// QPlainTextEdit on a drawing view's viewport, kept over the figure's
// rectangle while the view scrolls (the figure itself moves it on zooming).

// Makes the views the editors' home: figures ask for editors through the
// factory this installs. Called by every view's constructor; once is enough.
void InstallInPlaceEditors();
