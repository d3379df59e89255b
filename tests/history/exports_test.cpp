#include "history/exports.h"

#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "history/records.h"
#include "platform/utf8.h"

namespace tallowick::history {
namespace {

using namespace test;

std::string exported(Format format, const std::vector<Record>& records) {
  std::ostringstream out;
  exportRecords(format, records, out);
  return out.str();
}

// Records with what each export must get right: an aborted run with a failing step, a
// finished one, a run stopped before its first title, an initialisation, hostile texts.
std::vector<Record> selection() {
  std::vector<Record> records;
  for (int n = 0; n < 4; ++n) {
    Record r = sampleRecord(n);
    r.id = n + 1;
    records.push_back(r);
  }
  records[2].outcome = Outcome::Stopped;
  records[2].message = "Тест остановлен";
  records[2].steps.clear();
  records[3].kind = Kind::Initialisation;
  records[3].steps.clear();
  records[3].outcome = Outcome::Finished;
  records[3].computer = "=HYPERLINK(\"http://x\")";
  records[3].passes = "-3";
  records[3].message = "<&>\r\n\x07";
  return records;
}

// ---- a reader of RFC 4180 text ----

std::vector<std::vector<std::string>> readCsv(std::string_view text) {
  std::vector<std::vector<std::string>> rows{{}};
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      EXPECT_TRUE(field.empty()) << "a quote inside an unquoted field";
      quoted = true;
    } else if (c == ',') {
      rows.back().push_back(field);
      field.clear();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rows.back().push_back(field);
      field.clear();
      rows.emplace_back();
      ++i;
    } else {
      EXPECT_TRUE(c != '\n' && c != '\r') << "a bare line break outside quotes";
      field += c;
    }
  }
  EXPECT_FALSE(quoted) << "an unterminated quote";
  EXPECT_TRUE(rows.back().empty() && field.empty()) << "the last row lacks its CR LF";
  rows.pop_back();
  return rows;
}

TEST(Exports, CsvHasOneRowPerRecordThatReadsBackExactly) {
  const std::vector<Record> records = selection();
  const std::string text = exported(Format::Csv, records);
  ASSERT_TRUE(text.starts_with("\xEF\xBB\xBF"));
  const auto rows = readCsv(std::string_view(text).substr(3));
  ASSERT_EQ(rows.size(), records.size() + 1);
  const std::vector<std::string>& header = rows[0];
  std::map<std::string, std::size_t> column;
  for (std::size_t i = 0; i < header.size(); ++i)
    column[header[i]] = i;
  for (const char* name : {"id", "started_at", "port", "serial_number", "outcome", "log"})
    ASSERT_TRUE(column.contains(name)) << name;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Record& r = records[i];
    const auto& row = rows[i + 1];
    ASSERT_EQ(row.size(), header.size()) << "row " << i;
    const auto at = [&](const char* name) { return row[column.at(name)]; };
    EXPECT_EQ(at("id"), std::to_string(r.id));
    EXPECT_EQ(at("port"), r.port);
    EXPECT_EQ(at("outcome"), outcomeKey(r.outcome));
    std::string log;
    for (std::size_t k = 0; k < r.log.size(); ++k)
      log += (k > 0 ? "\n" : "") + r.log[k];
    EXPECT_EQ(at("log"), log);
    // The language last, so that the columns before it stay where they were.
    EXPECT_EQ(at("language"), languageOf(r));
    EXPECT_EQ(column.at("language"), header.size() - 1);
  }
  EXPECT_EQ(rows[1][column.at("started_at")], "2026-12-07 09:05:30");
  EXPECT_EQ(rows[1][column.at("message")], records[0].message);
  EXPECT_EQ(rows[4][column.at("message")], records[3].message);
  // What a spreadsheet would run as a formula is defused; a plain number is not.
  EXPECT_EQ(rows[4][column.at("computer")], "'" + records[3].computer);
  EXPECT_EQ(rows[4][column.at("passes")], "-3");
}

TEST(Exports, JsonCarriesEveryFieldTheStepsAndTheLog) {
  const std::vector<Record> records = selection();
  const auto json = nlohmann::json::parse(exported(Format::Json, records));
  ASSERT_TRUE(json.is_array());
  ASSERT_EQ(json.size(), records.size());
  const auto& first = json[0];
  EXPECT_EQ(first["id"], 1);
  EXPECT_EQ(first["kind"], "testrun");
  EXPECT_EQ(first["started_at"], "2026-12-07T09:05:30.000+02:00");
  EXPECT_EQ(first["port"], records[0].port);
  EXPECT_EQ(first["serial_number"], records[0].serialNumber);
  EXPECT_EQ(first["outcome"], "finished");
  EXPECT_EQ(first["log"].get<std::vector<std::string>>(), records[0].log);
  EXPECT_EQ(first["language"], std::string(languageOf(records[0])));
  EXPECT_EQ(first["steps"][1]["command"], "A1");
  EXPECT_EQ(first["steps"][1]["result"], "success");
  EXPECT_EQ(json[1]["steps"][1]["result"], "printer_error");
  EXPECT_EQ(json[1]["steps"][1]["code"], "0103");
  EXPECT_EQ(json[3]["message"], records[3].message);
  EXPECT_EQ(json[3]["kind"], "init");
}

// ---- a strict reader of the XML the JUnit export writes ----

struct Element {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::vector<Element> children;
  std::string text;
};

class XmlReader {
 public:
  explicit XmlReader(std::string_view text) : s_(text) {}

  // The root element, or the reason the text is not well-formed XML.
  Element document() {
    if (!isUtf8(s_)) fail("not UTF-8");
    forEachCharacter(s_, [&](char32_t c, std::string_view) {
      if (!isXmlChar(c)) fail("a character XML 1.0 cannot hold");
    });
    if (s_.substr(0, 5) == "<?xml") {
      const auto end = s_.find("?>");
      if (end == std::string_view::npos) fail("unterminated declaration");
      at_ = end + 2;
    }
    blanks();
    Element root = element();
    blanks();
    if (at_ != s_.size()) fail("content after the root");
    return root;
  }
  const std::string& error() const { return error_; }

 private:
  static bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
  }
  void fail(const std::string& why) {
    if (error_.empty()) error_ = why + " at byte " + std::to_string(at_);
    at_ = s_.size();
  }
  bool more() const { return at_ < s_.size(); }
  void blanks() {
    while (more() && std::string_view(" \t\r\n").find(s_[at_]) != std::string_view::npos)
      ++at_;
  }
  void expect(char c) {
    if (!more() || s_[at_] != c) return fail(std::string("expected '") + c + "'");
    ++at_;
  }
  std::string name() {
    const std::size_t start = at_;
    while (more() && (std::isalnum(static_cast<unsigned char>(s_[at_])) || s_[at_] == '-' ||
                      s_[at_] == '_' || s_[at_] == '.' || s_[at_] == ':')) {
      ++at_;
    }
    if (start == at_ || std::isdigit(static_cast<unsigned char>(s_[start]))) fail("bad name");
    return std::string(s_.substr(start, at_ - start));
  }
  // Text up to `stop`, references resolved.
  std::string characters(char stop, bool attribute) {
    std::string out;
    while (more() && s_[at_] != stop) {
      const char c = s_[at_];
      if (c == '<') {
        fail("'<' in text");
        break;
      }
      if (c != '&') {
        // A reader turns a literal line break or tab in an attribute into a blank.
        out += attribute && (c == '\n' || c == '\t' || c == '\r') ? ' ' : c;
        ++at_;
        continue;
      }
      const auto end = s_.find(';', at_);
      if (end == std::string_view::npos) return fail("unterminated reference"), out;
      const std::string_view ref = s_.substr(at_ + 1, end - at_ - 1);
      static const std::map<std::string_view, char> kNamed = {
          {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
      if (const auto named = kNamed.find(ref); named != kNamed.end()) {
        out += named->second;
      } else if (ref.starts_with("#")) {
        const bool hex = ref.starts_with("#x");
        const char32_t code = static_cast<char32_t>(
            std::stoul(std::string(ref.substr(hex ? 2 : 1)), nullptr, hex ? 16 : 10));
        if (!isXmlChar(code)) fail("a reference to a character XML 1.0 cannot hold");
        if (code >= 0x80) fail("only ASCII references are expected here");
        out += static_cast<char>(code);
      } else {
        fail("unknown entity");
      }
      at_ = end + 1;
    }
    return out;
  }
  Element element() {
    Element e;
    expect('<');
    e.name = name();
    for (;;) {
      blanks();
      if (!more()) return fail("unterminated tag"), e;
      if (s_[at_] == '/') {
        ++at_;
        expect('>');
        return e;
      }
      if (s_[at_] == '>') break;
      const std::string attribute = name();
      expect('=');
      expect('"');
      const std::string value = characters('"', true);
      expect('"');
      if (!e.attributes.emplace(attribute, value).second) fail("a repeated attribute");
    }
    ++at_;
    for (;;) {
      e.text += characters('<', false);
      if (!more()) return fail("unterminated element " + e.name), e;
      if (s_.substr(at_, 2) == "</") {
        at_ += 2;
        if (name() != e.name) fail("end tag does not match " + e.name);
        blanks();
        expect('>');
        return e;
      }
      e.children.push_back(element());
    }
  }

  std::string_view s_;
  std::size_t at_ = 0;
  std::string error_;
};

// The rules of the JUnit schema that CI servers read: which attributes an element may
// and must have, and which children in which order.
struct Rule {
  std::set<std::string> allowed, required;
  std::vector<std::string> childOrder;  // each child's name must appear here, in order
};

const std::map<std::string, Rule>& junitRules() {
  static const std::map<std::string, Rule> rules = {
      {"testsuites",
       {{"name", "time", "tests", "failures", "disabled", "errors"}, {}, {"testsuite"}}},
      {"testsuite",
       {{"name", "tests", "failures", "errors", "time", "disabled", "skipped", "timestamp",
         "hostname", "id", "package"},
        {"name", "tests"},
        {"properties", "testcase", "system-out", "system-err"}}},
      {"properties", {{}, {}, {"property"}}},
      {"property", {{"name", "value"}, {"name", "value"}, {}}},
      {"testcase",
       {{"name", "assertions", "time", "classname", "status"},
        {"name"},
        {"skipped", "error", "failure", "system-out", "system-err"}}},
      {"skipped", {{"message"}, {}, {}}},
      {"error", {{"message", "type"}, {}, {}}},
      {"failure", {{"message", "type"}, {}, {}}},
      {"system-out", {{}, {}, {}}},
      {"system-err", {{}, {}, {}}},
  };
  return rules;
}

void checkAgainstRules(const Element& e, const std::string& path) {
  const auto rule = junitRules().find(e.name);
  ASSERT_NE(rule, junitRules().end()) << path << ": element " << e.name;
  for (const auto& [attribute, value] : e.attributes)
    EXPECT_TRUE(rule->second.allowed.contains(attribute)) << path << ": attribute " << attribute;
  for (const auto& attribute : rule->second.required)
    EXPECT_TRUE(e.attributes.contains(attribute)) << path << ": no " << attribute;
  std::size_t order = 0;
  for (const Element& child : e.children) {
    const auto& names = rule->second.childOrder;
    const auto at =
        std::find(names.begin() + static_cast<std::ptrdiff_t>(order), names.end(), child.name);
    ASSERT_NE(at, names.end()) << path << ": " << child.name << " here";
    order = static_cast<std::size_t>(at - names.begin());
    checkAgainstRules(child, path + "/" + child.name);
  }
  for (const char* number : {"tests", "failures", "errors", "skipped"}) {
    if (e.attributes.contains(number)) {
      EXPECT_NO_THROW((void)std::stoul(e.attributes.at(number))) << path << " " << number;
    }
  }
}

std::size_t countWith(const Element& suite, const char* child) {
  std::size_t n = 0;
  for (const Element& c : suite.children) {
    if (c.name != "testcase") continue;
    for (const Element& v : c.children)
      n += v.name == child ? 1 : 0;
  }
  return n;
}

std::vector<const Element*> childrenNamed(const Element& e, const char* name) {
  std::vector<const Element*> found;
  for (const Element& c : e.children) {
    if (c.name == name) found.push_back(&c);
  }
  return found;
}

TEST(Exports, JunitIsValidAndItsCountsAgree) {
  const std::vector<Record> records = selection();
  const std::string text = exported(Format::Junit, records);
  XmlReader reader(text);
  const Element root = reader.document();
  ASSERT_TRUE(reader.error().empty()) << reader.error();
  ASSERT_EQ(root.name, "testsuites");
  checkAgainstRules(root, "testsuites");

  const auto suites = childrenNamed(root, "testsuite");
  ASSERT_EQ(suites.size(), records.size());
  std::size_t tests = 0, failures = 0, errors = 0;
  for (const Element* suite : suites) {
    const auto cases = childrenNamed(*suite, "testcase");
    EXPECT_EQ(suite->attributes.at("tests"), std::to_string(cases.size()));
    EXPECT_EQ(suite->attributes.at("failures"), std::to_string(countWith(*suite, "failure")));
    EXPECT_EQ(suite->attributes.at("errors"), std::to_string(countWith(*suite, "error")));
    EXPECT_EQ(suite->attributes.at("skipped"), std::to_string(countWith(*suite, "skipped")));
    tests += cases.size();
    failures += countWith(*suite, "failure");
    errors += countWith(*suite, "error");
  }
  EXPECT_EQ(root.attributes.at("tests"), std::to_string(tests));
  EXPECT_EQ(root.attributes.at("failures"), std::to_string(failures));
  EXPECT_EQ(root.attributes.at("errors"), std::to_string(errors));

  // One test case per titled step; its outcome as the element the schema names.
  const auto aborted = childrenNamed(*suites[1], "testcase");
  ASSERT_EQ(aborted.size(), 2u);
  EXPECT_EQ(aborted[0]->attributes.at("name"), "Установка времени");
  EXPECT_TRUE(aborted[0]->children.empty());
  ASSERT_EQ(aborted[1]->children.size(), 1u);
  const Element& failure = aborted[1]->children[0];
  EXPECT_EQ(failure.name, "failure");
  EXPECT_EQ(failure.attributes.at("type"), "printer_error");
  EXPECT_EQ(failure.attributes.at("message"), "Ошибка X-отчета");
  EXPECT_EQ(failure.text, "Команда A1h: код ошибки 0103");
  EXPECT_EQ(aborted[1]->attributes.at("time"), "2.000");
  EXPECT_EQ(suites[1]->attributes.at("timestamp"), "2026-12-07T09:06:30");
  EXPECT_EQ(suites[1]->attributes.at("hostname"), records[1].computer);

  // A run stopped before its first title, and an initialisation, still show how they went.
  const auto stopped = childrenNamed(*suites[2], "testcase");
  ASSERT_EQ(stopped.size(), 1u);
  EXPECT_EQ(stopped[0]->attributes.at("name"), "Тест РРО");
  ASSERT_EQ(stopped[0]->children.size(), 1u);
  EXPECT_EQ(stopped[0]->children[0].name, "skipped");
  EXPECT_EQ(stopped[0]->children[0].attributes.at("message"), "Тест остановлен");
  const auto init = childrenNamed(*suites[3], "testcase");
  ASSERT_EQ(init.size(), 1u);
  EXPECT_EQ(init[0]->attributes.at("name"), "Инициализация регистратора");
  EXPECT_TRUE(init[0]->children.empty());

  // Texts survive: line breaks in an attribute, markup characters; control characters
  // come out as their pictures.
  std::map<std::string, std::string> properties;
  for (const Element* p : childrenNamed(*childrenNamed(*suites[1], "properties")[0], "property"))
    properties[p->attributes.at("name")] = p->attributes.at("value");
  EXPECT_EQ(properties.at("message"), records[1].message);
  EXPECT_EQ(properties.at("port"), records[1].port);
  std::map<std::string, std::string> initProperties;
  for (const Element* p : childrenNamed(*childrenNamed(*suites[3], "properties")[0], "property"))
    initProperties[p->attributes.at("name")] = p->attributes.at("value");
  EXPECT_EQ(initProperties.at("message"), "<&>\r\n\u2407");
  const std::string out = childrenNamed(*suites[0], "system-out")[0]->text;
  EXPECT_NE(out.find("text\twith\u2401 control"), std::string::npos);
  EXPECT_NE(out.find("a \"quoted\", text"), std::string::npos);
}

TEST(Exports, JunitShowsEachStepResultAsTheSchemaNamesIt) {
  struct Case {
    StepResult result;
    const char* element;  // nullptr: a pass
    const char* type;
  };
  const Case cases[] = {
      {StepResult::Success, nullptr, nullptr},
      {StepResult::PrinterError, "failure", "printer_error"},
      {StepResult::NoReply, "error", "no_reply"},
      {StepResult::ArgumentError, "error", "argument_error"},
      {StepResult::Aborted, "error", "aborted"},
      {StepResult::Stopped, "skipped", nullptr},
  };
  for (const Case& c : cases) {
    Record r = sampleRecord(0);
    r.outcome = Outcome::Aborted;
    r.message = "Ошибка перезагрузки регистратора!";
    r.steps = {{.title = "Шаг", .command = 0xF3, .result = c.result}};
    const std::string text = exported(Format::Junit, {r});
    XmlReader reader(text);
    const Element root = reader.document();
    ASSERT_TRUE(reader.error().empty()) << reader.error();
    const auto testcases = childrenNamed(*childrenNamed(root, "testsuite")[0], "testcase");
    // A pass leaves the abort unexplained: the record's end gets a test case of its own.
    ASSERT_EQ(testcases.size(), c.element ? 1u : 2u) << stepResultKey(c.result);
    if (!c.element) {
      EXPECT_TRUE(testcases[0]->children.empty());
      EXPECT_EQ(testcases[1]->children.at(0).name, "error");
      continue;
    }
    ASSERT_EQ(testcases[0]->children.size(), 1u);
    const Element& v = testcases[0]->children[0];
    EXPECT_EQ(v.name, c.element);
    if (c.type) {
      EXPECT_EQ(v.attributes.at("type"), c.type);
    }
    // A step with no words of its own carries the record's message.
    EXPECT_EQ(v.attributes.at("message"), r.message);
  }
}

}  // namespace
}  // namespace tallowick::history
