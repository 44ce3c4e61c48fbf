#pragma once
// A drawing document with two layers and a drawing view on it, for the
// dialog tests; figures are added to the current (first) layer.

#include "docview/DrawView.h"
#include "docview/Environment.h"
#include "docview/FiguresDoc.h"
#include "figures/FigureSet.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// Damaged drawings made from good ones: the file's content is inflated,
// changed by Damage and packed again as the program packs it.
using TContentBytes = std::vector<unsigned char>;
void WriteDamagedCopy(const std::string& From, const std::string& To,
                      const std::function<void(TContentBytes&)>& Damage);
// Damage that cuts the last N bytes of the content.
std::function<void(TContentBytes&)> CutTail(std::size_t N);
