// Runs the input as a little program of string-engine operations, each one
// against the engine and against a plain model of the work buffer. Any
// difference in the buffer, the work position or a stored string traps.
#include "FuzzSupport.h"
#include <sanitizer/allocator_interface.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int LastByte = StrWorkBufferSize - 1;    // kept for a terminator
constexpr int VariableCount = 4;
constexpr int MarkCount = 4;

// The program's bytes; reading past the end gives zeros.
class Program {
public:
    Program(const uint8_t* data, size_t size) : data(data), size(size) {}
    bool More() const { return at < size; }
    int Byte() { return at < size ? data[at++] : 0; }
    int Word() { int high = Byte(); return high << 8 | Byte(); }
    int Int() { return (int)((unsigned)Word() << 16 | (unsigned)Word()); }

    // A length byte and that many bytes, cut at a zero as C text is.
    std::string Text()
    {
        std::string text;
        for (int n = Byte(); n > 0 && More(); n--)
            text += (char)Byte();
        return text.c_str();
    }

private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

// ---- The model: what each service should produce, from plain std::string.

std::string ModelMid(const std::string& source, int start, int length)
{
    size_t skip = start > 1 ? (size_t)start - 1 : 0;
    if (skip >= source.size() || length <= 0)
        return "";
    return source.substr(skip, (size_t)length);
}

std::string ModelPathPart(const std::string& source)
{
    size_t from = !source.empty() && source[0] == '"' ? 1 : 0;
    size_t last = source.rfind('\\');
    if (last == std::string::npos || last < from)
        return "";
    std::string folder = source.substr(from, last + 1 - from);
    return folder.substr(0, folder.find('"'));
}

std::string ModelPad(const std::string& source, int width, const std::optional<std::string>& fill)
{
    if (width <= 0)
        return "";
    std::string padded = source.substr(0, (size_t)width);
    padded.resize((size_t)width, fill && !fill->empty() ? (*fill)[0] : ' ');
    return padded;
}

// A stored string: null, or its block's bytes with the terminator.
using Stored = std::optional<std::string>;

struct Model {
    std::string buffer = std::string(StrWorkBufferSize, '\0');
    int position = 0;
    Stored variables[VariableCount];

    std::string TextAt(int offset) const { return buffer.c_str() + offset; }

    // Every text-producing service: the text at the result start, cut
    // before the last byte, terminated, the position on the terminator.
    void Write(int resultStart, const std::string& text)
    {
        int length = std::min((int)text.size(), LastByte - resultStart);
        buffer.replace((size_t)resultStart, (size_t)length, text, 0, (size_t)length);
        position = resultStart + length;
        buffer[(size_t)position] = 0;
    }
};

// An operand as the engine gets it, with the text (or null) the model reads.
struct Operand {
    const char* engine = nullptr;
    std::optional<std::string> text;
    int variable = -1;    // the variable it is, if any
    int offset = -1;      // its place in the work buffer, if there

    std::string Text() const { return text.value_or(""); }
};

class Runner {
public:
    Runner(Program& program, char* buffer) : program(program), buffer(buffer) {}
    ~Runner()
    {
        for (char* variable : variables)
            StrFree(variable);
    }

    void Step();
    void Compare() const;

private:
    int Offset();
    Operand Source();
    bool Readable(const Operand& source, int resultStart) const;
    void Produced(int resultStart, const char* returned, const std::string& expected);

    Program& program;
    char* buffer;
    char* variables[VariableCount] = {};
    Model model;
    int marks[MarkCount] = {};
    std::vector<std::unique_ptr<char[]>> literals;
};

// A place in the work buffer: the work position, a saved mark, just after
// the position, near the buffer's end, or anywhere.
int Runner::Offset()
{
    switch (program.Byte() % 5) {
    case 0:
        return model.position;
    case 1:
        return marks[program.Byte() % MarkCount];
    case 2:
        return std::min(model.position + program.Byte(), LastByte);
    case 3:
        return LastByte - program.Byte();
    default:
        return program.Word() % StrWorkBufferSize;
    }
}

// Null, a literal, a variable, or text already in the work buffer.
Operand Runner::Source()
{
    Operand operand;
    switch (program.Byte() % 4) {
    case 0:
        break;
    case 1: {
        // Exactly sized, so that reading past the terminator is caught.
        std::string text = program.Text();
        literals.push_back(std::make_unique<char[]>(text.size() + 1));
        std::memcpy(literals.back().get(), text.c_str(), text.size() + 1);
        operand.engine = literals.back().get();
        operand.text = text;
        break;
    }
    case 2:
        operand.variable = program.Byte() % VariableCount;
        operand.engine = variables[operand.variable];
        if (model.variables[operand.variable])
            operand.text = model.variables[operand.variable]->c_str();
        break;
    default:
        operand.offset = Offset();
        operand.engine = buffer + operand.offset;
        operand.text = model.TextAt(operand.offset);
    }
    return operand;
}

// The engine's promise covers a source in the work buffer that starts at or
// after the result start, or ends before it.
bool Runner::Readable(const Operand& source, int resultStart) const
{
    return source.offset < 0 || source.offset >= resultStart || source.offset + (int)source.Text().size() < resultStart;
}

// A string function returns its result start; the model writes its text.
void Runner::Produced(int resultStart, const char* returned, const std::string& expected)
{
    Check(returned == buffer + resultStart);
    model.Write(resultStart, expected);
}

void Runner::Step()
{
    literals.clear();
    switch (program.Byte() % 12) {
    case 0:
        marks[program.Byte() % MarkCount] = model.position;
        break;
    case 1:
        model.position = Offset();
        StrRewind(buffer + model.position);
        break;
    case 2:
        StrSkipTerminator();
        if (model.position < LastByte)
            model.position++;
        break;
    case 3: {
        Operand source = Source();
        if (Readable(source, model.position)) {
            StrAppend(source.engine);
            model.Write(model.position, source.Text());
        }
        break;
    }
    case 4: {
        Operand source = Source();
        int start = program.Word() - 100;
        int length = program.Word() - 1000;
        int resultStart = Offset();
        if (Readable(source, resultStart)) {
            Produced(resultStart, StrMid(source.engine, start, length, buffer + resultStart),
                     ModelMid(source.Text(), start, length));
        }
        break;
    }
    case 5: {
        Operand source = Source();
        int resultStart = Offset();
        if (Readable(source, resultStart)) {
            StrPathPart(source.engine, buffer + resultStart);
            model.Write(resultStart, ModelPathPart(source.Text()));
        }
        break;
    }
    case 6: {
        int count = program.Word() - 1000;
        int resultStart = Offset();
        Produced(resultStart, StrSpaces(count, buffer + resultStart), std::string((size_t)std::max(count, 0), ' '));
        break;
    }
    case 7: {
        Operand source = Source();
        int width = program.Word() - 1000;
        Operand fill = Source();    // read before anything is written, so it may lie anywhere
        int resultStart = Offset();
        if (Readable(source, resultStart)) {
            Produced(resultStart, StrPad(source.engine, width, fill.engine, buffer + resultStart),
                     ModelPad(source.Text(), width, fill.text));
        }
        break;
    }
    case 8: {
        int value = program.Int();
        int resultStart = Offset();
        Produced(resultStart, StrFromInt(value, buffer + resultStart), std::to_string(value));
        break;
    }
    case 9: {
        int variable = program.Byte() % VariableCount;
        int resultStart = Offset();
        if (resultStart <= model.position) {
            StrAssign(&variables[variable], buffer + resultStart);
            model.buffer[(size_t)model.position] = 0;
            model.variables[variable] = model.buffer.substr((size_t)resultStart, (size_t)(model.position - resultStart + 1));
            model.position = resultStart;
        }
        break;
    }
    case 10: {
        int variable = program.Byte() % VariableCount;
        Operand source = Source();
        StrSet(&variables[variable], source.engine);
        model.variables[variable] = source.text ? Stored(*source.text + '\0') : std::nullopt;
        break;
    }
    default: {
        Operand a = Source();
        Operand b = Source();
        Check(StrEqual(a.engine, b.engine) == (a.Text() == b.Text()));
        Check(StrLen(a.engine) == (int)a.Text().size());
    }
    }
}

void Runner::Compare() const
{
    Check(StrWorkPosition() == buffer + model.position);
    Check(std::memcmp(buffer, model.buffer.data(), StrWorkBufferSize) == 0);
    for (int i = 0; i < VariableCount; i++) {
        Check(!variables[i] == !model.variables[i]);
        if (variables[i]) {
            const std::string& stored = *model.variables[i];
            Check(__sanitizer_get_allocated_size(variables[i]) == stored.size());
            Check(std::memcmp(variables[i], stored.data(), stored.size()) == 0);
        }
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char* buffer = WorkBuffer();
    std::memset(buffer, 0, StrWorkBufferSize);
    StrRewind(buffer);
    Program program(data, size);
    Runner runner(program, buffer);
    while (program.More()) {
        runner.Step();
        runner.Compare();
    }
    return 0;
}
