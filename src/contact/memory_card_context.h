#pragma once

#include <string>

#include "input/cell_grid.h"
#include "link/operation.h"

namespace kdx {

// The entry fields of each memory card tab as they stand when a button is
// pressed, read in one go. Texts are single-byte, as typed.
struct Sle4442Inputs {
  std::string address;  // SL4442Add1
  std::string length;   // SL4442Long
  std::string password1, password2, password3;
};

struct Sle4428Inputs {
  std::string highAddress;  // SL4428Add1
  std::string lowAddress;   // SL4428Add2
  std::string length;       // SL4428Long
  std::string password1, password2;
};

struct At24Inputs {
  std::string highAddress;  // IC24XXADD1
  std::string lowAddress;   // IC24XXADD2
  std::string length;       // IC24XXLONG
};

// A memory card tab as its operations see it: the fields of the family and
// the card data grid `ICText` the three tabs share.
template <class Inputs>
class MemoryCardView {
 public:
  virtual ~MemoryCardView() = default;
  virtual Inputs inputs() const = 0;
  virtual CellGrid& dataGrid() = 0;
};

// What the operations of one memory card tab work on.
template <class Inputs>
struct MemoryCardContext {
  Session& session;
  MemoryCardView<Inputs>& view;
};

using Sle4442View = MemoryCardView<Sle4442Inputs>;
using Sle4428View = MemoryCardView<Sle4428Inputs>;
using At24View = MemoryCardView<At24Inputs>;
using Sle4442Context = MemoryCardContext<Sle4442Inputs>;
using Sle4428Context = MemoryCardContext<Sle4428Inputs>;
using At24Context = MemoryCardContext<At24Inputs>;
using Sle4442Operation = OperationRow<Sle4442Context>;
using Sle4428Operation = OperationRow<Sle4428Context>;
using At24Operation = OperationRow<At24Context>;

}  // namespace kdx
