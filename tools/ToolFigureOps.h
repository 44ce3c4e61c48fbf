#pragma once
// Finding the placing tools' figure operations by a figure's class: a family
// brings them in its descriptor; classes without one (test figures) bind
// them here with BindToolOps<T>.

#include "figures/FigureOps.h"

// Binding a class again replaces its operations.
void RegisterToolFigureOps(const TMetaClass& Class, std::unique_ptr<TToolFigureOps> Ops);
template <class T>
void BindToolOps() {
  RegisterToolFigureOps(T::StaticClass(), std::make_unique<TToolFigureOpsOf<T>>());
}
// The operations of the figure's class or its nearest bound ancestor; a
// figure of an unbound class gets operations that do nothing.
const TToolFigureOps& ToolOps(const TCustomFigure& Figure);
