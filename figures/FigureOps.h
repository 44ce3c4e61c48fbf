#pragma once
// What the placing tools ask of a figure beyond TCustomFigure: points added
// one by one, the polygon's rubber vertex, creation from reference points and
// the arrow line's placement. Those operations belong to single figure
// families; a family's descriptor carries them (FamilyOps<T>()) and the tools
// find them by the figure's class. Points are logical unless said.

#include "figures/Figure.h"

#include <memory>
#include <span>
#include <vector>

class TToolFigureOps {
public:
  virtual ~TToolFigureOps() = default;
  virtual void AddPoint(TCustomFigure&, Tpt) const {}
  virtual void ReplaceLastPoint(TCustomFigure&, Tpt) const {}
  virtual void RemoveLastPoint(TCustomFigure&) const {}
  virtual int GetPointCount(const TCustomFigure&) const { return 0; }
  // Points are local to the figure's parent (the document's root).
  virtual void CreateByRefPoint(TCustomFigure&, std::span<const Tpt>) const {}
  virtual void SetQd(TCustomFigure&, Tpt) const {}
  virtual void SetZd(TCustomFigure&, Tpt) const {}
  virtual void OffSetToPoint(TCustomFigure&, Tpt, Tpt, Tpt) const {}
  virtual void OrthoBz(TCustomFigure&, Tpt, Tpt, bool, Tpt) const {}
};

// The operations under the names the figure classes use; a class without
// one of them simply does nothing for it.
template <class T>
class TToolFigureOpsOf final : public TToolFigureOps {
public:
  void AddPoint(TCustomFigure& F, Tpt P) const override {
    T& f = static_cast<T&>(F);
    if constexpr (requires { f.AddPoint(P); })
      f.AddPoint(P);
    else if constexpr (requires { f.AddPoint(ptodp(P)); })
      f.AddPoint(ptodp(P));
  }
  void ReplaceLastPoint(TCustomFigure& F, Tpt P) const override {
    T& f = static_cast<T&>(F);
    if constexpr (requires { f.ReplaceLastPoint(P); }) f.ReplaceLastPoint(P);
  }
  void RemoveLastPoint(TCustomFigure& F) const override {
    T& f = static_cast<T&>(F);
    if constexpr (requires { f.RemoveLastPoint(); }) f.RemoveLastPoint();
  }
  int GetPointCount(const TCustomFigure& F) const override {
    const T& f = static_cast<const T&>(F);
    if constexpr (requires { f.GetPointCount(); })
      return static_cast<int>(f.GetPointCount());
    else
      return 0;
  }
  void CreateByRefPoint(TCustomFigure& F, std::span<const Tpt> Points) const override {
    T& f = static_cast<T&>(F);
    if constexpr (requires { f.CreateByRefPoint(Points); }) f.CreateByRefPoint(Points);
  }
  void SetQd(TCustomFigure& F, Tpt P) const override {
    T& f = static_cast<T&>(F);
    if constexpr (requires { f.SetQd(P); }) f.SetQd(P);
  }
  void SetZd(TCustomFigure& F, Tpt P) const override {
    T& f = static_cast<T&>(F);
    if constexpr (requires { f.SetZd(P); }) f.SetZd(P);
  }
  void OffSetToPoint(TCustomFigure& F, Tpt P1, Tpt P2, Tpt P3) const override {
    T& f = static_cast<T&>(F);
    if constexpr (requires { f.OffSetToPoint(P1, P2, P3); }) f.OffSetToPoint(P1, P2, P3);
  }
  void OrthoBz(TCustomFigure& F, Tpt P1, Tpt P2, bool Horz, Tpt P3) const override {
    T& f = static_cast<T&>(F);
    if constexpr (requires { f.OrthoBz(P1, P2, Horz, P3); }) f.OrthoBz(P1, P2, Horz, P3);
  }
};

template <class T>
std::shared_ptr<const TToolFigureOps> FamilyOps() {
  return std::make_shared<TToolFigureOpsOf<T>>();
}
