#pragma once
// A drawing document with two layers and a drawing view on it, for the
// dialog tests; figures are added to the current (first) layer.

#include "docview/DrawView.h"
#include "docview/Environment.h"
#include "docview/FiguresDoc.h"
#include "figures/FigureSet.h"

#include <gtest/gtest.h>

#include <memory>

class DialogTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  template <class Figure>
  Figure* AddFigure() {
    auto f = std::make_unique<Figure>();
    Figure* raw = f.get();
    doc.Add(std::move(f), TPoint{0, 0}, nullptr);
    return raw;
  }
  int UndoCount() const { return doc.FFigures->UndoCount(); }

  TEnvironment env;
  TEnvironment* oldEnv = nullptr;
  TFiguresDoc doc;
  std::unique_ptr<TDrawView> view;
};
