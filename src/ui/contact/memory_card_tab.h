#pragma once

#include <QGridLayout>
#include <QLineEdit>
#include <QWidget>
#include <span>

#include "contact/memory_card_context.h"
#include "ui/page_services.h"
#include "ui/widgets/byte_grid.h"
#include "ui/widgets/key_filter_installer.h"

namespace kdx::ui {

// What the three memory card tabs share: they are the view their family's
// operations talk to, read the card data grid `ICText` of the IC CARD page,
// take their buttons from the family's operation table and their one- and
// two-digit hex fields with the strict hex filter.
template <class Inputs>
class MemoryCardTab : public QWidget, public MemoryCardView<Inputs> {
 public:
  MemoryCardTab(const PageServices& services, ByteGrid& grid)
      : services_(services), grid_(grid), context_{services.session, *this} {}

  CellGrid& dataGrid() override { return grid_; }

 protected:
  // A strict hex entry field of at most two digits.
  static QLineEdit* hexField(const char* name, const char* initial) {
    auto* edit = Named(new QLineEdit(initial), name);
    edit->setMaxLength(2);
    edit->setMaximumWidth(40);
    KeyFilterInstaller::install(edit, KeyFilter::StrictHex);
    return edit;
  }
  static std::string textOf(const QLineEdit* edit) { return ToDevice(edit->text()); }

  // The table's buttons in rows of `perRow`, in table order.
  template <class Row>
  QGridLayout* buttons(std::span<const Row> rows, int perRow) {
    auto* layout = new QGridLayout;
    int i = 0;
    for (const Row& row : rows) {
      layout->addWidget(OperationButton(row, context_, services_.run), i / perRow, i % perRow);
      ++i;
    }
    return layout;
  }

  PageServices services_;
  ByteGrid& grid_;
  MemoryCardContext<Inputs> context_;
};

}  // namespace kdx::ui
