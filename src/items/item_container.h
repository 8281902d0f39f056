// The six operations every item container offers (main bag, sub-bag, equipment, shop list).
#pragma once

namespace isora {

class ItemContainer {
 public:
  virtual ~ItemContainer() = default;

  // Puts one item in by the container's rule; false when there is no room.
  virtual bool Add(int item) = 0;
  // Takes one item out of a cell.
  virtual void ClearCell(int cell) = 0;
  // Puts `item` into `cell` and returns what was there. A cell that does not exist, or that
  // refuses the item, returns `item` itself and changes nothing.
  virtual int Exchange(int item, int cell) = 0;
  // The item in a cell (0 when empty), or -1 when the cell does not exist.
  virtual int Get(int cell) const = 0;
  // Takes one piece of `item` out; false when the container holds none.
  virtual bool RemoveById(int item) = 0;
  // How many pieces of `item` the container holds.
  virtual int CountById(int item) const = 0;

  virtual int CellCount() const = 0;
  bool HasCell(int cell) const { return cell >= 0 && cell < CellCount(); }
};

}  // namespace isora
