#include "mudel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "messages.h"
#include "test_support.h"

namespace {

using testing::ExitedWithCode;

using test_support::file_text;
using test_support::heap_copy;
using test_support::literally;

void set_counts(std::uint32_t nodes, std::uint32_t vars, std::uint32_t grps, std::uint32_t inps,
                std::uint32_t cons, std::uint32_t outs) {
  NodCount = nodes;
  VarCount = vars;
  GrpCount = grps;
  InpCount = inps;
  ConCount = cons;
  OutCount = outs;
  Nods = static_cast<node_t*>(std::calloc(nodes + 1, sizeof(node_t)));
  NodNames = static_cast<char**>(std::calloc(nodes + 1, sizeof(char*)));
  Vars = static_cast<varb_t*>(std::calloc(vars + 1, sizeof(varb_t)));
  VarNames = static_cast<char**>(std::calloc(vars + 1, sizeof(char*)));
  Grps = static_cast<grap_t*>(std::calloc(grps + 1, sizeof(grap_t)));
}

void set_var(std::uint32_t i, const char* name, std::uint32_t flags) {
  VarNames[i] = heap_copy(name);
  Vars[i].v_flags = flags;
}

void set_node(std::uint32_t n, const char* name, std::uint32_t flags, std::uint32_t d0,
              std::uint32_t d1, std::uint32_t var) {
  NodNames[n] = heap_copy(name);
  Nods[n] = node_t{flags, var, {d0, d1}};
}

/// Two inputs, constants 0 and 1, an internal graph with the D flag (two nodes), an empty
/// graph, and the output graph (one node).
void make_sample_model() {
  set_counts(3, 7, 3, 2, 2, 1);
  ModelType = 1;
  set_var(0, "a", VAR_INPUT | VAR_D);  // D on an input is not written
  set_var(1, "b", VAR_INPUT);
  set_var(2, "k0", VAR_CONST | VAR_ZERO);
  set_var(3, "k1", VAR_CONST | VAR_ONE);
  set_var(4, "n", VAR_D | VAR_OUTPUT);  // output by flag, not by position: written as '_'
  set_var(5, "z", 0);
  set_var(6, "y", 0);
  Grps[0] = grap_t{0, 2};
  Grps[1] = grap_t{2, 0};
  Grps[2] = grap_t{2, 1};
  set_node(0, "x0", NODE_INVERTED, 1, 2, 0);
  set_node(1, "x1", 0, 0, 0, 2);
  set_node(2, "q", 0, 0xFFFFFFFFu, 3, 4);
}

/// The sample model in the layout write_ag produces.
const char* const kSampleText =
    "\nSTAT#    3 Nods,  7 Vars,  3 Grps,  2 Inps,  2 Cons,  1 Outs\n"
    "\nMODE#   FUNCTIONAL\n\n\n"
    "VAR#   0:  (i_______)  \"a\"\n"
    "VAR#   1:  (i_______)  \"b\"\n"
    "VAR#   2:  (___c____)  \"k0\" VAL = 0\n"
    "VAR#   3:  (___c____)  \"k1\" VAL = 1\n"
    "\nVAR#   4:  (_____D__)  \"n\"\n"
    "GRP#    0: BEG =   0, LEN =   2 -----\n"
    "   0   0:  (I___)\t(\t1\t2)  V = 0     \"x0\"\n"
    "   1   1:  (____)\t(\t0\t0)  V = 2     \"x1\"\n"
    "\nVAR#   5:  (________)  \"z\"\n"
    "GRP#    1: BEG =   2, LEN =   0 -----\n"
    "\nVAR#   6:  (_o______)  \"y\"\n"
    "GRP#    2: BEG =   2, LEN =   1 -----\n"
    "   2   0:  (____)\t(\t-1\t3)  V = 4     \"q\"\n";

class Store : public testing::Test {
 protected:
  void SetUp() override {
    verbose_mode = 1;
    Nods = nullptr;
    NodNames = nullptr;
    Vars = nullptr;
    VarNames = nullptr;
    Grps = nullptr;
    NodCount = VarCount = GrpCount = InpCount = ConCount = OutCount = 0;
    ModelType = 0;
  }
  void TearDown() override {
    if (Nods != nullptr) free_ag();
    verbose_mode = 0;
  }

  /// Reads `text` through read_ag.
  void read_text(const std::string& text, const std::string& name = "model.agm") {
    read_ag(dir_.write(name, text).c_str());
  }

  test_support::ScratchDir dir_;
};

std::string with_header(const std::string& body, const std::string& stat) {
  return "STAT# " + stat + "\nMODE# FUNCTIONAL\n" + body;
}

TEST_F(Store, WritesTheLayoutLineByLine) {
  make_sample_model();
  std::string path = dir_.at("sample.agm");
  write_ag(path.c_str());
  EXPECT_EQ(file_text(path), kSampleText);
}

TEST_F(Store, ReadsBackWhatItWrote) {
  make_sample_model();
  std::string first = dir_.at("first.agm"), second = dir_.at("second.agm");
  write_ag(first.c_str());
  free_ag();
  read_ag(first.c_str());

  EXPECT_EQ(NodCount, 3u);
  EXPECT_EQ(VarCount, 7u);
  EXPECT_EQ(GrpCount, 3u);
  EXPECT_EQ(InpCount, 2u);
  EXPECT_EQ(ConCount, 2u);
  EXPECT_EQ(OutCount, 1u);
  EXPECT_EQ(ModelType, 1);
  const char* var_names[] = {"a", "b", "k0", "k1", "n", "z", "y"};
  const std::uint32_t var_flags[] = {VAR_INPUT, VAR_INPUT,     VAR_CONST | VAR_ZERO,
                                     VAR_CONST | VAR_ONE, VAR_D, 0, VAR_OUTPUT};
  for (int i = 0; i < 7; i++) {
    EXPECT_STREQ(VarNames[i], var_names[i]) << i;
    EXPECT_EQ(Vars[i].v_flags, var_flags[i]) << i;
  }
  EXPECT_EQ(Grps[0].g_beg, 0u);
  EXPECT_EQ(Grps[0].g_len, 2u);
  EXPECT_EQ(Grps[1].g_beg, 2u);
  EXPECT_EQ(Grps[1].g_len, 0u);
  EXPECT_EQ(Grps[2].g_beg, 2u);
  EXPECT_EQ(Grps[2].g_len, 1u);
  EXPECT_STREQ(NodNames[0], "x0");
  EXPECT_EQ(Nods[0].n_flags, NODE_INVERTED);
  EXPECT_EQ(Nods[0].n_dst[0], 1u);
  EXPECT_EQ(Nods[0].n_dst[1], 2u);
  EXPECT_EQ(Nods[0].n_var, 0u);
  EXPECT_STREQ(NodNames[1], "x1");
  EXPECT_EQ(Nods[1].n_flags, 0u);
  EXPECT_EQ(Nods[1].n_var, 2u);
  EXPECT_STREQ(NodNames[2], "q");
  EXPECT_EQ(Nods[2].n_dst[0], 0xFFFFFFFFu);
  EXPECT_EQ(Nods[2].n_dst[1], 3u);
  EXPECT_EQ(Nods[2].n_var, 4u);

  write_ag(second.c_str());
  EXPECT_EQ(file_text(second), file_text(first));
}

TEST_F(Store, StepLinesOfReadWriteAndFree) {
  make_sample_model();
  std::string path = dir_.at("steps.agm");
  verbose_mode = 0;
  testing::internal::CaptureStdout();
  write_ag(path.c_str());
  free_ag();
  read_ag(path.c_str());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "\nWriting SSBDD-model... OK\n"
            "\nDeleting SSBDD-model from memory... OK\n"
            "\nReading SSBDD-model file " + path + "... OK\n");
}

TEST_F(Store, SkipsTextOutsideItsSectionsAndComments) {
  read_text(
      "title: a model\n"
      "STAT#  1 Nods, 2 Vars, 1 Grps, 1 Inps, 0 Cons, 1 Outs\n"
      "VAR#  text before the mode line\n"
      "MODE#  STRUCTURAL\n"
      "notes between sections\n"
      ";VAR# 9: (i) \"comment\"\n"
      "VAR# 0: (i) \"A\"\n"
      "GRP# before its variable is skipped\n"
      "VAR# 1: (o) \"Y\"\n"
      "a line without a colon\n"
      "GRP# 0: BEG = 9, LEN = 1\n"
      "\n"
      "; comment: with a colon\n"
      "0 0: (____) (0 0) V = 0 \"A\"\n");
  EXPECT_EQ(ModelType, 0);
  EXPECT_STREQ(VarNames[0], "A");
  EXPECT_STREQ(VarNames[1], "Y");
  EXPECT_EQ(Grps[0].g_beg, 0u);
  EXPECT_EQ(Grps[0].g_len, 1u);
  EXPECT_STREQ(NodNames[0], "A");
}

TEST_F(Store, ModeKeywords) {
  read_text(with_header("", "0,0,0,0,0,0") + "MODE# x\n");
  EXPECT_EQ(ModelType, 1);
  free_ag();
  read_text("STAT# 0,0,0,0,0,0\nMODE# functional STRUCTURAL\n");
  EXPECT_EQ(ModelType, 0);
  free_ag();
  read_text("STAT# 0,0,0,0,0,0\nMODE# is structural\n");
  EXPECT_EQ(ModelType, 0);
}

TEST_F(Store, DecodesFieldsOfOneLine) {
  read_text(with_header(
                "VAR# 0: (_o___D__) \"p\"\n"
                "VAR# 1: (C) \"k\" VAL = 7\n"
                "VAR# 2: (c) \"k0\" =  0\n"
                "VAR# 3: (_) \"g\"\n"
                "GRP# 0: BEG = 0, LEN = 3\n"
                "0 0: (i___)\t(\t5\t7)\tV = 2 \"x1\"\n"
                "1 1: (I___) (  8   9 ) V =3 \"x2\" trailing\n"
                "2 2: (____) (1 2) V = 0 \"\"\n",
                "3 Nods, 4 Vars, 1 Grps, 1 Inps, 2 Cons, 1 Outs"));
  EXPECT_EQ(Vars[0].v_flags, VAR_OUTPUT | VAR_D);
  EXPECT_EQ(Vars[1].v_flags, VAR_CONST | VAR_ONE);
  EXPECT_EQ(Vars[2].v_flags, VAR_CONST | VAR_ZERO);
  EXPECT_EQ(Nods[0].n_flags, NODE_INVERTED);
  EXPECT_EQ(Nods[0].n_dst[0], 5u);
  EXPECT_EQ(Nods[0].n_dst[1], 7u);
  EXPECT_EQ(Nods[0].n_var, 2u);
  EXPECT_STREQ(NodNames[0], "x1");
  EXPECT_EQ(Nods[1].n_flags, NODE_INVERTED);
  EXPECT_EQ(Nods[1].n_dst[0], 8u);
  EXPECT_EQ(Nods[1].n_dst[1], 9u);
  EXPECT_EQ(Nods[1].n_var, 3u);
  EXPECT_STREQ(NodNames[1], "x2");
  EXPECT_EQ(Nods[2].n_flags, 0u);
  EXPECT_STREQ(NodNames[2], "");
}

TEST_F(Store, NameSettersLeaveOrCutTheirText) {
  set_counts(1, 1, 0, 0, 0, 0);
  char var_text[] = "abc\" rest";
  char node_text[] = "xyz\" rest";
  setVarName(0, var_text);
  setNodName(0, node_text);
  EXPECT_STREQ(VarNames[0], "abc");
  EXPECT_STREQ(var_text, "abc\" rest");
  EXPECT_STREQ(NodNames[0], "xyz");
  EXPECT_STREQ(node_text, "xyz");
  EXPECT_STREQ(node_text + 4, " rest");
}

TEST_F(Store, FlagSettersReadOnlyTheFirstParentheses) {
  set_counts(1, 1, 0, 0, 0, 0);
  setVarFlags(0, "x (iOcd) (i)");
  EXPECT_EQ(Vars[0].v_flags, VAR_INPUT | VAR_OUTPUT | VAR_CONST | VAR_D);
  setNodFlags(0, "(____) (I)");
  EXPECT_EQ(Nods[0].n_flags, 0u);
  setNodFlags(0, "(__i_)");
  EXPECT_EQ(Nods[0].n_flags, NODE_INVERTED);
  setVarConst(0, "  00");
  EXPECT_EQ(Vars[0].v_flags & (VAR_ZERO | VAR_ONE), VAR_ZERO);
}

TEST_F(Store, EndOfFileWhereAVariableIsExpected) {
  // right after the mode line
  read_text(with_header("", "2 Nods, 3 Vars, 1 Grps, 1 Inps, 1 Cons, 1 Outs"));
  EXPECT_EQ(VarNames[0], nullptr);
  free_ag();
  // after an input and after a constant
  read_text(with_header("VAR# 0: (i) \"A\"\n", "2,3,1,1,1,1"));
  EXPECT_STREQ(VarNames[0], "A");
  free_ag();
  read_text(with_header("VAR# 0: (i) \"A\"\nVAR# 1: (c) \"K\" = 0\n", "2,3,1,1,1,1"));
  EXPECT_EQ(Vars[1].v_flags, VAR_CONST | VAR_ZERO);
  free_ag();
  // after the last node of the first of two graphs
  read_text(with_header(
      "VAR# 0: (i) \"A\"\nVAR# 1: () \"G\"\nGRP# 0: BEG = 0, LEN = 1\n0 0: () (0 0) V = 0 \"N\"\n",
      "3,3,2,1,0,1"));
  EXPECT_STREQ(NodNames[0], "N");
  EXPECT_EQ(NodNames[1], nullptr);
  EXPECT_EQ(VarNames[2], nullptr);
}

TEST_F(Store, AbsentNamesAreWrittenEmpty) {
  read_text(with_header("VAR# 0: (i) \"A\"\n", "0 Nods, 3 Vars, 2 Grps, 1 Inps, 0 Cons, 1 Outs"));
  std::string path = dir_.at("absent.agm");
  write_ag(path.c_str());
  EXPECT_EQ(file_text(path),
            "\nSTAT#    0 Nods,  3 Vars,  2 Grps,  1 Inps,  0 Cons,  1 Outs\n"
            "\nMODE#   FUNCTIONAL\n\n\n"
            "VAR#   0:  (i_______)  \"A\"\n"
            "\nVAR#   1:  (________)  \"\"\n"
            "GRP#    0: BEG =   0, LEN =   0 -----\n"
            "\nVAR#   2:  (_o______)  \"\"\n"
            "GRP#    1: BEG =   0, LEN =   0 -----\n");
  free_ag();
  read_ag(path.c_str());
  EXPECT_STREQ(VarNames[1], "");
}

TEST_F(Store, LineOf254CharactersIsAccepted) {
  std::string name(254 - std::strlen("VAR# 0: (i) \"\""), 'n');
  std::string line = "VAR# 0: (i) \"" + name + "\"";
  ASSERT_EQ(line.size(), 254u);
  read_text(with_header(line + "\n", "0,1,0,1,0,0"));
  EXPECT_EQ(VarNames[0], name);
  free_ag();
  read_text(with_header(line, "0,1,0,1,0,0"));  // last line without its line end
  EXPECT_EQ(VarNames[0], name);
}

using StoreDeath = Store;

void expect_read_error(const std::string& text, const std::string& message) {
  test_support::ScratchDir dir;
  std::string path = dir.write("bad.agm", text);
  EXPECT_EXIT(read_ag(path.c_str()), ExitedWithCode(14), "^" + literally(message) + "$")
      << text;
}

TEST_F(StoreDeath, LineOf255CharactersIsRefused) {
  std::string line = "; " + std::string(253, 'c');
  ASSERT_EQ(line.size(), 255u);
  expect_read_error("STAT# 0,0,0,0,0,0\n\n" + line + "\n", "\nError at line 3: Line too long!\n");
  expect_read_error("STAT# 0,0,0,0,0,0\n" + line, "\nError at line 2: Line too long!\n");
}

TEST_F(StoreDeath, UnknownModeAndMissingFile) {
  expect_read_error("\nSTAT# 0,0,0,0,0,0\n;\nMODE# BEHAVIOURAL\n",
                    "\nError at line 4: Unknown MODE# specification!\n");
  std::string missing = dir_.at("missing.agm");
  std::remove(missing.c_str());
  EXPECT_EXIT(read_ag(missing.c_str()), ExitedWithCode(14),
              "^" + literally("\nError: " + missing + " : Can't open DD-model file!\n") + "$");
}

TEST_F(StoreDeath, EndOfFileOutsideTheVariablesIsCorrupt) {
  const std::string stat = "STAT# 1,2,1,1,0,1\n";
  const std::string input = "VAR# 0: (i) \"A\"\n";
  expect_read_error("", "\nError at line 0: Corrupt DD-model file!\n");
  expect_read_error(stat, "\nError at line 1: Corrupt DD-model file!\n");
  expect_read_error(stat + "MODE# FUNCTIONAL\n" + input + "VAR# 1: () \"Y\"\n\n",
                    "\nError at line 5: Corrupt DD-model file!\n");
  expect_read_error(stat + "MODE# FUNCTIONAL\n" + input + "VAR# 1: () \"Y\"\nGRP# 0: BEG=0, LEN=1\n",
                    "\nError at line 5: Corrupt DD-model file!\n");
  expect_read_error(
      "STAT# 2,2,1,1,0,1\nMODE# FUNCTIONAL\n" + input +
          "VAR# 1: () \"Y\"\nGRP# 0: BEG=0, LEN=2\n0 0: () (0 0) V = 0 \"N\"\n",
      "\nError at line 6: Corrupt DD-model file!\n");
}

TEST_F(StoreDeath, LinesWithoutTheirSeparatorsAreCorrupt) {
  const std::string head = "STAT# 1,2,1,1,0,1\nMODE# FUNCTIONAL\n";
  const std::string input = "VAR# 0: (i) \"A\"\n";
  const std::string graph = "VAR# 1: () \"Y\"\nGRP# 0: BEG = 0, LEN = 1\n";
  const std::string corrupt6 = "\nError at line 6: Corrupt DD-model file!\n";
  expect_read_error("STAT# 1,2,1,1,0\n", "\nError at line 1: Corrupt DD-model file!\n");
  expect_read_error(head + "VAR# 0 (i) \"A\"\n", "\nError at line 3: Corrupt DD-model file!\n");
  expect_read_error(head + "VAR# 0: (i) \"A\n", "\nError at line 3: Corrupt DD-model file!\n");
  expect_read_error("STAT# 0,2,0,1,1,0\nMODE# FUNCTIONAL\n" + input + "VAR# 1: (c) \"K\" 1\n",
                    "\nError at line 4: Corrupt DD-model file!\n");
  expect_read_error(head + input + "VAR# 1: () \"Y\"\nGRP# 0: LEN = 1\n",
                    "\nError at line 5: Corrupt DD-model file!\n");
  expect_read_error(head + input + graph + "0 0: (____) 0 0  V = 0 \"N\"\n", corrupt6);
  expect_read_error(head + input + graph + "0 0: (____) (0 0  V = 0 \"N\"\n", corrupt6);
  expect_read_error(head + input + graph + "0 0: (____) (0 0)  V 0 \"N\"\n", corrupt6);
  expect_read_error(head + input + graph + "0 0: (____) (0 0)  V = 0 N\n", corrupt6);
  expect_read_error(head + input + graph + "0 0: (____) (0 0)  V = 0 \"N\n", corrupt6);
  // a graph with fewer node lines than its length meets the next variable line
  expect_read_error("STAT# 2,3,2,1,0,1\nMODE# FUNCTIONAL\n" + input + graph + "VAR# 2: () \"Z\"\n",
                    corrupt6);
}

TEST_F(StoreDeath, MoreLinesThanAnnouncedAreCorrupt) {
  const std::string input = "VAR# 0: (i) \"A\"\n";
  // a variable past the announced ones
  expect_read_error("STAT# 0,1,0,1,0,0\nMODE# FUNCTIONAL\n" + input + "VAR# 1: (i) \"B\"\n",
                    "\nError at line 4: Corrupt DD-model file!\n");
  // a graph longer than the nodes left, refused at its group line
  const std::string nodes = "0 0: () (0 0) V=0 \"a\"\n1 1: () (0 0) V=0 \"b\"\n";
  expect_read_error("STAT# 1,2,1,1,0,1\nMODE# FUNCTIONAL\n" + input +
                        "VAR# 1: () \"Y\"\nGRP# 0: B=0, L=2\n" + nodes,
                    "\nError at line 5: Corrupt DD-model file!\n");
  expect_read_error("STAT# 2,3,2,1,0,1\nMODE# FUNCTIONAL\n" + input +
                        "VAR# 1: () \"G\"\nGRP# 0: B=0, L=2\n" + nodes +
                        "VAR# 2: () \"Y\"\nGRP# 1: B=2, L=1\n" + nodes,
                    "\nError at line 9: Corrupt DD-model file!\n");
}

TEST_F(StoreDeath, StatisticsThatCannotHoldTheModel) {
  const std::string corrupt1 = "\nError at line 1: Corrupt DD-model file!\n";
  const std::string mode = "MODE# FUNCTIONAL\n";
  expect_read_error("STAT# 0,2,0,2,1,0\n" + mode, corrupt1);  // inputs and constants > vars
  expect_read_error("STAT# 0,4,1,1,1,1\n" + mode, corrupt1);  // fewer graphs than graph vars
  expect_read_error("STAT# 99999999999,0,0,0,0,0\n" + mode, corrupt1);  // past 32 bits
  expect_read_error("STAT# 0,0,0,0,0,-1\n" + mode, corrupt1);           // negative count
  expect_read_error("STAT# 0,0,0,0,0,0\nMODE# FUNCTIONAL\nVAR# 0: (i) \"A\"\n",
                    "\nError at line 3: Corrupt DD-model file!\n");
  expect_read_error("STAT# 4000000000,0,0,0,0,0\n", "\nError at line 1: Out of memory!\n");
  expect_read_error("\nSTAT# 0, 4000000000,0,0,0,0\n", "\nError at line 2: Out of memory!\n");
  expect_read_error("STAT# 1,2,1,1,0,1\nMODE# FUNCTIONAL\nVAR# 0: (i) \"A\"\nVAR# 1: () \"Y\"\n"
                    "GRP# 0: BEG = 0, LEN = 1\n0 0: () (99999999999 0) V=0 \"a\"\n",
                    "\nError at line 6: Corrupt DD-model file!\n");
}

TEST_F(StoreDeath, WriteToAFileThatCannotBeMade) {
  std::string path = dir_.at("no/such/dir/m.agm");
  EXPECT_EXIT(write_ag(path.c_str()), ExitedWithCode(14),
              "^" + literally("\nError: " + path + " : Can't create output file!\n") + "$");
}

}  // namespace
