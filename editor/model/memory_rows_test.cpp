#include "memory_rows.h"

#include <gtest/gtest.h>

namespace zefr {
namespace {

// A copy assigned back puts every row's state back, and each row stays
// where it was, so a document holding the rows keeps working on them.
TEST(MemoryRowsTest, AssigningACopyRestoresRowsInPlace) {
  ParameterSchema schema;
  MemoryRows rows;
  for (const ParameterId id : schema.DisplayOrder())
    if (const ParameterDescriptor* d = schema.Descriptor(id)) rows.Create(*d);
  const ParameterId text = 1003, list = 1002;  // address and device of temperature monitor 1
  ASSERT_EQ(rows.Find(text)->RowKind(), ParamRow::Kind::Text);
  ASSERT_EQ(rows.Find(list)->RowKind(), ParamRow::Kind::List);
  rows.Find(text)->SetText("0x20");
  rows.Find(list)->AddItem("first", 0);
  rows.Find(list)->Select(0);
  const MemoryRows saved = rows;
  MemoryRow* const textRow = rows.Find(text);
  MemoryRow* const listRow = rows.Find(list);

  textRow->SetText("0x4C");
  textRow->SetMessage("changed");
  listRow->AddItem("second", 1);
  listRow->Select(1);
  rows = saved;

  EXPECT_EQ(rows.Find(text), textRow);
  EXPECT_EQ(rows.Find(list), listRow);
  EXPECT_EQ(textRow->Text(), "0x20");
  EXPECT_EQ(textRow->Message(), "");
  EXPECT_EQ(listRow->Count(), 1);
  EXPECT_EQ(listRow->SelectedText(), "first");
  EXPECT_EQ(rows.Find(0), nullptr);
  EXPECT_EQ(rows.Find(-5), nullptr);
}

}  // namespace
}  // namespace zefr
