#!/usr/bin/env python3
"""Keeps the house as it is: fails when a file under app/ passes 600 lines, or when code outside
the one JSON writer (data/JsonWriter.*) writes JSON by hand, or code outside the one line
splitter (data/TextLines.*) splits text into lines. The program's own sources are checked, not
tests, benchmarks or fuzz targets. check-structure.py --self-test checks the rules themselves.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SOURCES = ("app", "data", "reduce", "search", "stats", "tickets", "tools", "ui", "view")
APP_LINE_LIMIT = 600
JSON_HOME = ("data/JsonWriter.h", "data/JsonWriter.cpp")
LINES_HOME = ("data/TextLines.h", "data/TextLines.cpp")

# Writing JSON by hand: a \u00XX escape, or a quoted key followed by a colon inside a C++
# string literal ("{\"name\": ").
JSON_RULES = [
    (re.compile(r'\\\\u(00|%0?4)'), "a \\u escape of JSON strings"),
    (re.compile(r'\\"[A-Za-z_][A-Za-z0-9_]*\\"\s*:'), "a JSON key written by hand"),
]
# Splitting text into lines: looking for the line end, reading line by line, or stepping over a
# CR LF pair.
LINE_RULES = [
    (re.compile(r"""\.find\(\s*('\\n'|"\\n")"""), "a search for '\\n'"),
    (re.compile(r'''find_first_of\(\s*"(\\r)?\\n'''), "a search for the line end"),
    (re.compile(r"\bgetline\s*\("), "getline"),
    (re.compile(r"\breadLine\s*\("), "readLine"),
    (re.compile(r"""\bsplit\(\s*(QChar\(|QLatin1Char\(|u)?\s*('\\n'|"\\n"|"\\r\\n")"""), "a split at '\\n'"),
    (re.compile(r"""memchr\([^;]*'\\n'"""), "memchr for '\\n'"),
    (re.compile(r"""'\\r'\s*&&[^;]*'\\n'"""), "a CR LF pair"),
]


def code_lines(text):
    """The lines of a source without its comments (strings are kept: the rules look into them)."""
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    return [re.sub(r"(^|\s)//.*$", "", line) for line in text.splitlines()]


def findings(path, text):
    """What the rules find in one file: (line number, message)."""
    found = []
    if path.startswith("app/"):
        count = text.count("\n") + (0 if text.endswith("\n") or not text else 1)
        if count > APP_LINE_LIMIT:
            found.append((count, f"{count} lines; a file under app/ keeps to {APP_LINE_LIMIT}: split it"))
    rules = []
    if path not in JSON_HOME:
        rules += [(r, m + f" outside {JSON_HOME[0]}: use TJsonWriter") for r, m in JSON_RULES]
    if path not in LINES_HOME:
        rules += [(r, m + f" outside {LINES_HOME[0]}: use its line splitter") for r, m in LINE_RULES]
    for number, line in enumerate(code_lines(text), 1):
        for rule, message in rules:
            if rule.search(line):
                found.append((number, message))
    return found


def check_tree():
    problems = []
    for top in SOURCES:
        for file in sorted((ROOT / top).rglob("*")):
            if file.suffix not in (".cpp", ".h") or not file.is_file():
                continue
            path = file.relative_to(ROOT).as_posix()
            for number, message in findings(path, file.read_text(encoding="utf-8", errors="replace")):
                problems.append(f"{path}:{number}: {message}")
    for problem in problems:
        print(problem, file=sys.stderr)
    print(f"structure: {len(problems)} problems")
    return 1 if problems else 0


def self_test():
    """Each rule against code it must flag and code it must leave alone."""
    flagged = [
        ("app/x.cpp", "int a;\n" * 601),
        ("tools/x.cpp", r'std::snprintf(b, 8, "\\u%04x", c);'),
        ("tools/x.cpp", r'text += "\\u00";'),
        ("stats/x.cpp", r'text += "{\"metric\": \"";'),
        ("search/x.cpp", r'json += ",\"hits\":";'),
        ("data/x.cpp", r"size_t end = text.find('\n', start);"),
        ("data/x.cpp", r'size_t end = text.find_first_of("\r\n", start);'),
        ("reduce/x.cpp", "for (std::string line; std::getline(in, line);) {}"),
        ("app/x.cpp", r"const QStringList rows = text.split(QLatin1Char('\n'));"),
        ("app/x.cpp", r"const auto rows = text.split('\n', Qt::SkipEmptyParts);"),
        ("data/x.cpp", r"if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;"),
        ("ui/x.cpp", "while (!file.atEnd()) rows << file.readLine();"),
    ]
    left_alone = [
        ("app/x.cpp", "int a;\n" * 600),
        ("data/JsonWriter.cpp", r'text_ += "\\u00";'),
        ("data/TextLines.h", r"size_t end = text.find('\n', start);"),
        ("tools/x.cpp", r'json.Key("hits").Number(3);'),
        ("tools/x.cpp", r'// text.find(\'\n\') in a comment'),
        ("tools/x.cpp", "/* std::getline(in, line) */ int a;"),
        ("search/x.cpp", r"std::erase_if(url, [](char c) { return c == '\r' || c == '\n'; });"),
        ("data/x.cpp", r"if (!target.empty() && target.back() == '\n') target.pop_back();"),
        ("app/x.cpp", r'QString text = QString("第%1行").arg(line) + "\n";'),
        ("data/x.cpp", r'csv += "\"" + field + "\",";'),
    ]
    failures = [f"not flagged: {path}: {code[:60]!r}" for path, code in flagged if not findings(path, code)]
    failures += [f"flagged: {path}: {code[:60]!r}: {findings(path, code)}"
                 for path, code in left_alone if findings(path, code)]
    for failure in failures:
        print(failure, file=sys.stderr)
    print(f"structure self-test: {len(flagged) + len(left_alone)} cases, {len(failures)} wrong")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(self_test() if sys.argv[1:] == ["--self-test"] else check_tree())
