#include "platform/ui/dialog_template.h"

#include <cctype>
#include <charconv>
#include <map>
#include <memory>

#include "platform/ui/embedded_resources.h"
#include "platform/ui/user.h"

namespace varne::ui {
namespace {

enum class TokenKind { Name, Number, String, Punct, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;
  long long number = 0;
};

// Splits resource-script text into tokens, dropping comments and
// preprocessor lines (the identifiers come from the header instead).
class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  std::vector<Token> All() {
    std::vector<Token> tokens;
    for (Token t = Next(); t.kind != TokenKind::End; t = Next()) tokens.push_back(std::move(t));
    return tokens;
  }

 private:
  Token Next() {
    SkipBlanks();
    if (at_ >= text_.size()) return {};
    const char c = text_[at_];
    if (c == '"') return String();
    if (std::isdigit(static_cast<unsigned char>(c))) return Number();
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') return Name();
    ++at_;
    return {TokenKind::Punct, std::string(1, c), 0};
  }

  void SkipBlanks() {
    bool lineStart = at_ == 0;
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '\n') {
        lineStart = true;
        ++at_;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++at_;
      } else if (lineStart && c == '#') {
        SkipLine();
      } else if (text_.substr(at_, 2) == "//") {
        SkipLine();
      } else if (text_.substr(at_, 2) == "/*") {
        const size_t end = text_.find("*/", at_ + 2);
        at_ = end == std::string_view::npos ? text_.size() : end + 2;
      } else {
        return;
      }
    }
  }

  void SkipLine() {
    const size_t end = text_.find('\n', at_);
    at_ = end == std::string_view::npos ? text_.size() : end;
  }

  Token String() {
    std::string value;
    ++at_;
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c != '"') {
        value += c;
      } else if (at_ < text_.size() && text_[at_] == '"') {
        value += '"';  // "" is the script's escaped quote
        ++at_;
      } else {
        break;
      }
    }
    return {TokenKind::String, value, 0};
  }

  Token Number() {
    const size_t start = at_;
    while (at_ < text_.size() && std::isalnum(static_cast<unsigned char>(text_[at_]))) ++at_;
    std::string_view digits = text_.substr(start, at_ - start);
    if (!digits.empty() && (digits.back() == 'L' || digits.back() == 'l')) digits.remove_suffix(1);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
      digits.remove_prefix(2);
      base = 16;
    }
    long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (error != std::errc() || end != digits.data() + digits.size()) return {TokenKind::Punct, "?", 0};
    return {TokenKind::Number, std::string(digits), value};
  }

  Token Name() {
    const size_t start = at_;
    while (at_ < text_.size() &&
           (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_'))
      ++at_;
    return {TokenKind::Name, std::string(text_.substr(start, at_ - start)), 0};
  }

  std::string_view text_;
  size_t at_ = 0;
};

using Symbols = std::map<std::string, long long, std::less<>>;

// The platform's style names a dialog template may spell out.
Symbols PlatformStyleNames() {
  return {
      {"WS_OVERLAPPED", WS_OVERLAPPED}, {"WS_POPUP", WS_POPUP},
      {"WS_CHILD", WS_CHILD},           {"WS_VISIBLE", WS_VISIBLE},
      {"WS_DISABLED", 0x08000000L},     {"WS_BORDER", 0x00800000L},
      {"WS_CAPTION", WS_CAPTION},       {"WS_SYSMENU", WS_SYSMENU},
      {"WS_TABSTOP", WS_TABSTOP},       {"WS_GROUP", WS_GROUP},
      {"WS_MINIMIZEBOX", 0x00020000L},  {"WS_MAXIMIZEBOX", 0x00010000L},
      {"WS_THICKFRAME", 0x00040000L},   {"DS_SETFONT", DS_SETFONT},
      {"DS_MODALFRAME", DS_MODALFRAME}, {"DS_CENTER", 0x0800L},
      {"SS_LEFT", SS_LEFT},             {"SS_CENTER", SS_CENTER},
      {"SS_RIGHT", 0x2L},               {"SS_BITMAP", SS_BITMAP},
      {"SS_CENTERIMAGE", SS_CENTERIMAGE}, {"SS_SUNKEN", SS_SUNKEN},
      {"BS_PUSHBUTTON", BS_PUSHBUTTON}, {"BS_DEFPUSHBUTTON", BS_DEFPUSHBUTTON},
      {"BS_AUTOCHECKBOX", BS_AUTOCHECKBOX}, {"TBS_HORZ", 0x0L},
      {"TBS_BOTTOM", 0x0L},             {"TBS_AUTOTICKS", 0x1L},
      {"TBS_NOTICKS", 0x10L},
  };
}

// `#define NAME number` lines of the identifier header.
void AddHeaderSymbols(std::string_view header, Symbols& symbols) {
  size_t at = 0;
  while (at < header.size()) {
    size_t end = header.find('\n', at);
    if (end == std::string_view::npos) end = header.size();
    const std::string line(header.substr(at, end - at));
    at = end + 1;
    const size_t directive = line.find("#define");
    if (directive == std::string::npos) continue;
    const std::string rest = line.substr(directive + 7);
    const std::vector<Token> tokens = Lexer(rest).All();
    if (tokens.size() == 2 && tokens[0].kind == TokenKind::Name &&
        tokens[1].kind == TokenKind::Number)
      symbols[tokens[0].text] = tokens[1].number;
  }
}

class Parser {
 public:
  Parser(std::vector<Token> tokens, const Symbols& symbols)
      : tokens_(std::move(tokens)), symbols_(symbols) {}

  std::optional<DialogTemplate> Dialog(int id) {
    for (at_ = 0; at_ + 1 < tokens_.size(); ++at_) {
      if (tokens_[at_ + 1].kind != TokenKind::Name || tokens_[at_ + 1].text != "DIALOGEX") continue;
      const std::optional<long long> name = Value(tokens_[at_]);
      if (!name || *name != id) continue;
      at_ += 2;
      return Body(id);
    }
    return std::nullopt;
  }

 private:
  std::optional<DialogTemplate> Body(int id) {
    DialogTemplate dialog;
    dialog.id = id;
    if (!Rect(dialog.x, dialog.y, dialog.cx, dialog.cy)) return std::nullopt;
    while (!IsName("BEGIN")) {
      if (Done()) return std::nullopt;
      if (!Statement(dialog)) return std::nullopt;
    }
    ++at_;
    while (!IsName("END")) {
      if (Done() || !IsName("CONTROL")) return std::nullopt;
      ++at_;
      ControlTemplate control;
      if (!Control(control)) return std::nullopt;
      dialog.controls.push_back(std::move(control));
    }
    return dialog;
  }

  bool Statement(DialogTemplate& dialog) {
    const std::string keyword = tokens_[at_++].text;
    if (keyword == "STYLE") return Expression(dialog.style);
    if (keyword == "EXSTYLE") {
      DWORD ignored = 0;  // no extended style changes how the layer draws this dialog
      return Expression(ignored);
    }
    if (keyword == "CAPTION") return Text(dialog.caption);
    if (keyword == "FONT") return Font(dialog);
    return false;
  }

  bool Font(DialogTemplate& dialog) {
    DWORD points = 0;
    if (!Expression(points) || !Comma() || !Text(dialog.fontFace)) return false;
    dialog.fontPoints = static_cast<int>(points);
    // Weight, italic and character set: the layer uses the desktop's font.
    while (IsPunct(",")) {
      ++at_;
      DWORD ignored = 0;
      if (!Expression(ignored)) return false;
    }
    return true;
  }

  bool Control(ControlTemplate& control) {
    DWORD id = 0;
    if (!Text(control.text) || !Comma() || !Expression(id) || !Comma() ||
        !Text(control.className) || !Comma() || !Expression(control.style) || !Comma())
      return false;
    control.id = static_cast<int>(id);
    if (!Rect(control.x, control.y, control.cx, control.cy)) return false;
    if (IsPunct(",")) {
      ++at_;
      DWORD ignored = 0;
      return Expression(ignored);
    }
    return true;
  }

  bool Rect(int& x, int& y, int& cx, int& cy) {
    DWORD values[4] = {};
    for (int i = 0; i < 4; ++i) {
      if (i > 0 && !Comma()) return false;
      if (!Expression(values[i])) return false;
    }
    x = static_cast<int>(values[0]);
    y = static_cast<int>(values[1]);
    cx = static_cast<int>(values[2]);
    cy = static_cast<int>(values[3]);
    return true;
  }

  // term ('|' term)*, where a term is a number, a known name or NOT term.
  bool Expression(DWORD& value) {
    value = 0;
    do {
      bool negate = false;
      if (IsName("NOT")) {
        negate = true;
        ++at_;
      }
      if (Done()) return false;
      const std::optional<long long> term = Value(tokens_[at_]);
      if (!term) return false;
      ++at_;
      if (negate)
        value &= ~static_cast<DWORD>(*term);
      else
        value |= static_cast<DWORD>(*term);
    } while (IsPunct("|") && ++at_);
    return true;
  }

  std::optional<long long> Value(const Token& token) const {
    if (token.kind == TokenKind::Number) return token.number;
    if (token.kind != TokenKind::Name) return std::nullopt;
    const auto found = symbols_.find(token.text);
    if (found == symbols_.end()) return std::nullopt;
    return found->second;
  }

  bool Text(std::string& out) {
    if (Done() || tokens_[at_].kind != TokenKind::String) return false;
    out = tokens_[at_++].text;
    return true;
  }

  bool Comma() {
    if (!IsPunct(",")) return false;
    ++at_;
    return true;
  }

  bool Done() const { return at_ >= tokens_.size(); }
  bool IsName(std::string_view name) const {
    return !Done() && tokens_[at_].kind == TokenKind::Name && tokens_[at_].text == name;
  }
  bool IsPunct(std::string_view punct) const {
    return !Done() && tokens_[at_].kind == TokenKind::Punct && tokens_[at_].text == punct;
  }

  std::vector<Token> tokens_;
  const Symbols& symbols_;
  size_t at_ = 0;
};

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplate(std::string_view script,
                                                  std::string_view header, int id) {
  Symbols symbols = PlatformStyleNames();
  AddHeaderSymbols(header, symbols);
  return Parser(Lexer(script).All(), symbols).Dialog(id);
}

const DialogTemplate* FindDialogTemplate(int id) {
  static std::map<int, std::unique_ptr<DialogTemplate>> parsed;
  auto found = parsed.find(id);
  if (found == parsed.end()) {
    std::optional<DialogTemplate> dialog = ParseDialogTemplate(kResourceScript, kResourceHeader, id);
    found = parsed
                .emplace(id, dialog ? std::make_unique<DialogTemplate>(std::move(*dialog)) : nullptr)
                .first;
  }
  return found->second.get();
}

}  // namespace varne::ui
