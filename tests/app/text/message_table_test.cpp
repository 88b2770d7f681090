#include "app/text/message_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/messages/msg_presenter.h"
#include "app/text/placeholders.h"
#include "app/text_ids.h"

namespace {

using zw::TMessageTable;
using zw::TMsg;

TEST(MessageTableBuiltIn, EveryRecordIsWellFormed) {
  std::set<std::string_view> names;
  TMessageTable t;
  for (size_t i = 0; i < zw::kMsgCount; ++i) {
    const auto id = static_cast<zw::TMsgID>(i);
    const std::string name(TMessageTable::NameOf(id));
    SCOPED_TRACE(name);
    EXPECT_TRUE(names.insert(TMessageTable::NameOf(id)).second) << "named twice";
    EXPECT_EQ(TMessageTable::IdByName(name), id);
    const TMsg m = t.Msg(id);
    EXPECT_EQ(m.Text, TMessageTable::BuiltIn(id).Text);
    EXPECT_FALSE(m.Text.empty());
    EXPECT_EQ(m.Text.find("\\r"), std::string::npos);
    EXPECT_EQ(m.Text.find("\\n"), std::string::npos);
    // Buttons are one of the four sets, the icon one of the four kinds, no
    // other bits; a question offers a choice.
    const uint32_t buttons = m.Flags & zw::mbButtonMask;
    EXPECT_TRUE(buttons == zw::mbOK || buttons == zw::mbOKCancel || buttons == zw::mbYesNoCancel ||
                buttons == zw::mbYesNo);
    EXPECT_TRUE(name.rfind("ask", 0) != 0 || buttons != zw::mbOK);
    EXPECT_TRUE(buttons == zw::mbOK || m.ShowPolicy != zw::spNever) << "a choice never shown";
    EXPECT_GE(zw::KindOfFlags(m.Flags), 1);
    EXPECT_LE(zw::KindOfFlags(m.Flags), 4);
    EXPECT_EQ(m.Flags & ~0xFFu, 0u);
    EXPECT_LE(m.ShowPolicy, zw::spAlways);
    EXPECT_LE(m.LogPolicy, zw::lpAlways);
    EXPECT_TRUE(m.IconId == 0 || (m.IconId >= 201 && m.IconId <= 207)) << m.IconId;
    // Every "%" starts a placeholder, and the argument the log takes its
    // error code from is a number.
    const std::string conversions = zwtest::Conversions(m.Text);
    EXPECT_EQ(conversions.find('!'), std::string::npos) << m.Text;
    if (const int k = zw::TMsgPresenter::ErrorCodeArgument(id); k > 0) {
      ASSERT_GE(conversions.size(), size_t(k));
      EXPECT_EQ(conversions[k - 1], 'd');
    }
  }
  EXPECT_FALSE(TMessageTable::IdByName("lblOK"));  // a string, not a message
  EXPECT_EQ(TMessageTable::IdByName("askdeletefiles"), zw::askDeleteFiles);
  EXPECT_NE(TMessageTable().Text(zw::logPleaseMailLog).find('@'), std::string::npos);
}

TEST(MessageTableBuiltIn, OutsideTheTableIsASilentEmptyRecord) {
  const auto outside = static_cast<zw::TMsgID>(zw::kMsgCount);
  const TMsg m = TMessageTable().Msg(outside);
  EXPECT_EQ(m.Text, "");
  EXPECT_EQ(m.ShowPolicy, zw::spNever);
  EXPECT_EQ(m.LogPolicy, zw::lpNever);
  EXPECT_EQ(TMessageTable::NameOf(outside), "");
  EXPECT_FALSE(TMessageTable().SetText(outside, "x"));
}

TEST(MessageTableReplace, TextChangesRulesStayResetBringsBackTheEnglish) {
  TMessageTable t;
  EXPECT_TRUE(t.SetText(zw::askDeleteFiles, "Wirklich %.0n Dateien loeschen?"));
  EXPECT_TRUE(t.SetTextByName("LOGSTARTSCAN", "Suche startet (%s)"));
  EXPECT_FALSE(t.SetTextByName("msgNoSuchMessage", "x"));
  const TMsg m = t.Msg(zw::askDeleteFiles);
  const TMsg& builtIn = TMessageTable::BuiltIn(zw::askDeleteFiles);
  EXPECT_EQ(m.Text, "Wirklich %.0n Dateien loeschen?");
  EXPECT_EQ(t.Text(zw::logStartScan), "Suche startet (%s)");
  EXPECT_EQ(m.Flags, builtIn.Flags);
  EXPECT_EQ(m.IconId, builtIn.IconId);
  EXPECT_EQ(m.ShowPolicy, builtIn.ShowPolicy);
  EXPECT_EQ(m.LogPolicy, builtIn.LogPolicy);
  EXPECT_NE(builtIn.Text, m.Text);
  t.Reset();
  EXPECT_EQ(t.Text(zw::logStartScan), TMessageTable::BuiltIn(zw::logStartScan).Text);
  EXPECT_EQ(t.Text(zw::askDeleteFiles), builtIn.Text);
}

TEST(GlobalMessages, MsgTextReadsTheProgramTable) {
  EXPECT_EQ(zw::MsgText(zw::logOperationCompleted), zw::Messages().Text(zw::logOperationCompleted));
  EXPECT_EQ(&zw::Messages(), &zw::Messages());
}

}  // namespace
