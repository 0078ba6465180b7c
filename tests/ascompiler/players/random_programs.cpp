#include "tests/ascompiler/players/random_programs.h"

#include <algorithm>
#include <random>
#include <vector>

namespace stravel::testing {
namespace {

// Names that functions declare as locals; the program traces their type at the end, so that
// a local that reaches the timeline shows.
const char* const kLocals[] = {"a", "b", "c", "s", "t"};

class ProgramWriter {
public:
    ProgramWriter(uint64_t seed, const std::string& prefix) : m_random(seed), m_prefix(prefix) {}

    std::string Program() {
        std::string text = "var " + N("k") + " = 0, " + N("log") + " = \"L\", " + N("i") +
                           " = 0, " + N("b") + " = 100;\n";
        text += "var " + N("a") + " = [10, 20, 30], " + N("c") + " = [2, 0, 1], " + N("o") +
                " = {x: 1, y: 2, z: 3};\nvar " + N("n") + " = [\"x\", \"y\", \"z\"], " + N("p") +
                " = {q: [4, 5, 6]};\n";
        text += "function " + N("key") + "(d) { " + N("k") + "++; " + N("log") +
                " += \"k\" + d; return (" + N("k") + " + d) % 3; }\n";
        text +=
            "function " + N("obj") + "() { " + N("log") + " += \"o\"; return " + N("p") + "; }\n";
        text += "function " + N("mk") + "(d) { " + N("log") +
                " += \"m\" + d; return function (v) { return v * 10 + d; }; }\n";
        m_functions = Pick(3);
        for (int f = 0; f < m_functions; ++f)
            text += Function(f);
        for (int s = 6 + Pick(10); s > 0; --s)
            text += Statement(0) + "\n";
        text += "included = " + Value() + "; // set before the included line\n#include \"" +
                kIncludedName + "\"\n";
        text += "trace(" + N("a") + "); trace(" + N("o") + ".x + \",\" + " + N("o") +
                ".y + \",\" + " + N("o") + ".z); trace(" + N("p") + ".q);\n";
        text += "trace(" + N("i") + " + \" \" + " + N("k") + " + \" \" + " + N("b") + "); trace(" +
                N("log") + ");\ntrace(";
        for (const char* local : kLocals)
            text += std::string(local == kLocals[0] ? "" : " + ") + "typeof(" + local + ")";
        return Commented(text + ");\n");
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    std::string Digit(int n) { return std::to_string(Pick(n)); }
    std::string N(const std::string& name) const { return m_prefix + name; }

    // 0, 1 or 2, mostly computed with a side effect.
    std::string Index() {
        switch (Pick(7)) {
        case 0:
            return N("i") + "++ % 3";
        case 1:
            return "++" + N("i") + " % 3";
        case 2:
            return N("key") + "(" + Digit(3) + ")";
        case 3:
            return N("c") + "[" + N("i") + "++ % 3]";
        case 4:
            return N("c") + "[" + N("key") + "(" + Digit(3) + ")]";
        case 5:
            return N("i") + " % 3";
        default:
            return Digit(3);
        }
    }

    // A place holding a number: elements and members reached through side effects, and a
    // few plain ones.
    std::string Target() {
        switch (Pick(8)) {
        case 0:
        case 1:
            return N("a") + "[" + Index() + "]";
        case 2:
            return N("o") + "[" + N("n") + "[" + Index() + "]]";
        case 3:
            return N("obj") + "().q[" + Index() + "]";
        case 4:
            return N("p") + ".q[" + Index() + "]";
        case 5:
            return N("a") + "[" + N("c") + "[" + Index() + "]]";
        case 6:
            return N("o") + "." + std::string(1, static_cast<char>('x' + Pick(3)));
        default:
            return N("b");
        }
    }

    std::string Value() {
        switch (Pick(4)) {
        case 0:
            return N("key") + "(" + Digit(3) + ")";
        case 1:
            return N("i") + " % 5";
        default:
            return std::to_string(1 + Pick(3));
        }
    }

    // Adding and bit operators; values stay integers of a few digits, as multiplication
    // (by two) has a budget.
    std::string Operator() {
        static const char* const kOperators[] = {" += ", " -= ", " |= ", " ^= ", " += "};
        return kOperators[Pick(5)];
    }
    std::string Compound(int repeats) {
        if (Pick(6) == 0 && m_doublings >= repeats) {
            m_doublings -= repeats;
            return " *= 2";
        }
        return Operator() + Value();
    }

    // Calls of a call's value, and members of the constants the compiler folds. The player
    // runs the arguments of a chain's calls first, so the second call's has no side effect.
    std::string Special() {
        static const char* const kConstants[] = {"Math.PI", "Math.E", "Math.SQRT2", "Math.LN10",
                                                 "Number.MAX_VALUE"};
        switch (Pick(4)) {
        case 0:
            return N("mk") + "(" + Value() + ")(" + (Pick(2) ? Digit(5) : N("i") + " % 5") + ")";
        case 1:
            return "(function (v) { return v * 2 + " + Digit(5) + "; })(" + Value() + ")";
        case 2:
            return std::string(kConstants[Pick(5)]) + ".toString().substr(0, " +
                   std::to_string(1 + Pick(4)) + ")";
        default:
            return "Number.NEGATIVE_INFINITY.toString().length";
        }
    }

    // Some blanks between tokens (outside strings and directives) become comments, and a few
    // comments stand where there was no blank.
    std::string Commented(const std::string& text) {
        std::string out;
        bool inString = false, directive = false;
        for (char c : text) {
            if (c == '"')
                inString = !inString;
            if (c == '#' || c == '\n')
                directive = c == '#';
            if (directive || inString)
                out += c;
            else if (c == ' ' && Pick(8) == 0)
                out += Pick(2) ? "/* c */" : "/**/";
            else if ((c == ';' || c == '(') && Pick(16) == 0)
                out += std::string("/*") + c + "*/" + c;
            else
                out += c;
        }
        return out;
    }

    std::string Step(const std::string& target) {
        switch (Pick(4)) {
        case 0:
            return target + "++";
        case 1:
            return target + "--";
        case 2:
            return "++" + target;
        default:
            return "--" + target;
        }
    }

    std::string Statement(int depth) {
        const std::string x = N("x");
        const int repeats = depth > 0 ? 3 : 1; // loop bodies run three times
        switch (Pick(depth > 0 ? 10 : 12)) {
        case 0:
        case 1:
            return Target() + Compound(repeats) + ";";
        case 2:
            return Step(Target()) + ";";
        case 3:
            return x + " = " + Target() + Compound(repeats) + "; trace(" + x + ");";
        case 4:
            return x + " = " + Step(Target()) + "; trace(" + x + ");";
        case 5:
            return "trace(" + Step(Target()) + ");";
        case 6:
            return Target() + " = " + Value() + ";";
        case 7:
            return "var " + N("u") + " = " + Step(Target()) + ", " + N("w") + " = " + Target() +
                   ", " + N("v") + "; " + N("v") + " = " + N("u") + " + " + N("w") + "; trace(" +
                   N("u") + " + \" \" + " + N("w") + " + \" \" + " + N("v") + ");";
        case 8:
            return x + " = " + Target() + Operator() + N("y") + " = " + Value() + "; trace(" + x +
                   " + \" \" + " + N("y") + ");";
        case 9:
            if (m_functions > 0 && Pick(2))
                return "trace(" + N("f") + Digit(m_functions) + "(" + Digit(4) + "));";
            return "trace(" + Special() + ");";
        case 10:
            return "for (var " + N("j") + " = 0, " + N("s") + " = 0; " + N("j") + " < 3; " +
                   N("j") + "++) { " + Target() + " += " + N("j") + "; " + N("s") +
                   " += " + N("j") + "; " + Statement(depth + 1) + " } trace(" + N("s") + ");";
        default:
            return "if (" + Step(Target()) + " > 5) { " + Statement(depth + 1) + " } else { " +
                   Statement(depth + 1) + " }";
        }
    }

    // A recursive function whose locals come from one var list; some are set after it. A
    // local that is not one would be overwritten by the call within.
    std::string Function(int index) {
        const std::string name = N("f") + std::to_string(index);
        std::vector<std::string> locals(std::begin(kLocals), std::end(kLocals));
        locals.push_back(N("b")); // the timeline has one of this name too
        std::shuffle(locals.begin(), locals.end(), m_random);
        locals.resize(2 + static_cast<size_t>(Pick(3)));
        std::string declare, later;
        std::vector<std::string> set;
        for (const std::string& local : locals) {
            declare += (declare.empty() ? "var " : ", ") + local;
            if (!set.empty() && Pick(3) == 0) {
                later += local + " = n + " + Digit(5) + "; ";
                continue;
            }
            if (set.empty() || Pick(2) == 0)
                declare += " = n + " + Digit(5);
            else
                declare += " = " + set[static_cast<size_t>(Pick(static_cast<int>(set.size())))] +
                           " * " + std::to_string(1 + Pick(3));
            set.push_back(local);
        }
        std::string sum = locals[0];
        for (size_t i = 1; i < locals.size(); ++i)
            sum += " + " + locals[i];
        return "function " + name + "(n) { " + declare + "; " + later + "if (n > 0) { " +
               locals[static_cast<size_t>(Pick(static_cast<int>(locals.size())))] + " += " + name +
               "(n - 1); } return " + sum + "; }\n";
    }

    std::mt19937_64 m_random;
    std::string m_prefix;
    int m_functions = 0;
    int m_doublings = 20;
};

} // namespace

std::string RandomProgram(uint64_t seed, const std::string& prefix) {
    return ProgramWriter(seed, prefix).Program();
}

std::string AsJavaScript(const std::string& program) {
    const std::string directive = std::string("#include \"") + kIncludedName + "\"\n";
    std::string text = program;
    for (size_t at = 0; (at = text.find(directive, at)) != std::string::npos;
         at += sizeof kIncludedText - 1)
        text.replace(at, directive.size(), kIncludedText);
    return text;
}

} // namespace stravel::testing
