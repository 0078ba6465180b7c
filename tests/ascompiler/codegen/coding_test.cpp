// Golden bytes of the coding model's records and values.
#include "ascompiler/codegen/as_info.h"
#include "ascompiler/codegen/coding.h"
#include "ascompiler/codegen/record_run.h"
#include "tests/ascompiler/codegen/compile_support.h"

#include <gtest/gtest.h>

#include <functional>

namespace translate {
namespace {

using stravel::testing::Hex;

std::string Encode(Coding* coding, int version = 6) {
    CodingPtr owned(coding);
    std::vector<unsigned char> bytes(static_cast<size_t>(owned->getLength(version)));
    Coder coder{version, bytes.data(), bytes.data()};
    owned->encode(&coder);
    EXPECT_EQ(coder.cursor, bytes.data() + bytes.size());
    return Hex(bytes);
}

Coding* Push(std::initializer_list<Value*> values) {
    auto it = values.begin();
    auto* push = new PushAction(ValuePtr(*it));
    for (++it; it != values.end(); ++it)
        push->append(translate::ValuePtr(*it));
    return push;
}

CodingList Codings(std::initializer_list<Coding*> items) {
    CodingList list;
    for (Coding* c : items)
        list.emplace_back(c);
    return list;
}

TEST(CodingModelTest, GoldenBytes) {
    struct Case {
        std::function<Coding*()> make;
        int version;
        const char* hex;
    };
    const Case cases[] = {
        {[] { return new Action(0x9E); }, 6, "9E 00 00"},
        {[] { return new Action(0x07); }, 6, "07"},
        {[] { return new ValueAction(0x99, -5); }, 6, "99 02 00 FB FF"},
        {[] { return new ValueAction(0x87, 0); }, 6, "87 01 00 00"},
        {[] {
             return Push({new TableIndex(255), new TableIndex(256)});
         },
         6, "96 05 00 08 FF 09 00 01"},
        {[] { return Push({new Double(1.0)}); }, 6, "96 09 00 06 00 00 F0 3F 00 00 00 00"},
        {[] {
             return Push({new String("a"), new Integer(1)});
         },
         6, "96 08 00 00 61 00 07 01 00 00 00"},
        {[] {
             return Push({new Null(), new Void(), new RegisterIndex(3), new Boolean(true)});
         },
         6, "96 06 00 02 03 04 03 05 01"},
        {[] { return new StringAction(0x83, "u", "t"); }, 6, "83 04 00 75 00 74 00"},
        {[] {
             return new TableAction({"a", "bc"});
         },
         6, "88 07 00 02 00 61 00 62 63 00"},
        {[] { return new NewFunctionAction("f", {"a"}, Codings({new Action(0x3E)})); }, 6,
         "9B 08 00 66 00 01 00 61 00 01 00 3E"},
        {[] {
             return new ASArray(2, Codings({new ASEvent(13, 8 + 512, Codings({new Action(7)}))}));
         },
         6, "00 00 08 02 07 00"},
        {[] {
             return new ASArray(2, Codings({new ASEvent(13, 1, {}), new ASEvent(13, 2, {})}));
         },
         6, "05 00 01 00 00 00 00 02 00 00"},
        {[] {
             return new ASArray(3, Codings({new ASEvent(12, 0x20000, Codings({new Action(6)}))}));
         },
         6, "00 00 00 00 02 00 00 00 02 00 03 00 00 00 00 06 00 00 00 00 00"},
        {[] {
             return new ASArray(3, Codings({new ASEvent(12, 0x20000, Codings({new Action(6)}))}));
         },
         5, "00 00 00 00 00 00 02 00 00 00 06 00 00 00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Encode(c.make(), c.version), c.hex);
}

TEST(CodingModelTest, IntegerTextReadsHexAndStopsAtOtherCharacters) {
    EXPECT_EQ(Integer::hxtoi("0x1F"), 31);
    EXPECT_EQ(Integer::hxtoi("12"), 12);
    EXPECT_EQ(Integer::hxtoi("12z"), 12);
    EXPECT_EQ(Integer::hxtoi("1e3"), 243);
    EXPECT_EQ(Integer::hxtoi("0x"), 0);
    EXPECT_EQ(Integer::hxtoi("0xFFFFFFFF"), -1);
    EXPECT_EQ(Double("1e3").value(), 1000.0);
    EXPECT_EQ(Double(".25").value(), 0.25);
}

TEST(CodingModelTest, OversizeRecordsAreRefused) {
    EXPECT_THROW(ValueAction(0x99, 32768), CompileError);
    EXPECT_THROW(ValueAction(0x9D, -32769), CompileError);
    EXPECT_NO_THROW(ValueAction(0x99, -32768));
    EXPECT_THROW(StringAction(0x83, std::string(70000, 'u'), ""), CompileError);
    NewFunctionAction big("f", {}, Codings({new TableAction({std::string(70000, 's')})}));
    EXPECT_THROW(big.getLength(6), CompileError);
}

TEST(CodingModelTest, RecordRunsMergeRemoveAndRewriteTheirLastRecord) {
    auto* run = new RecordRun();
    run->appendValue(Literal::string("a"));
    run->appendValue(Literal::integer(1));
    run->appendAction(0x1C);
    run->appendValue(Literal::tableIndex(300));
    run->appendAction(0x4E);
    run->setCode(0x52);
    EXPECT_EQ(Encode(run), "96 08 00 00 61 00 07 01 00 00 00 1C 96 03 00 09 2C 01 52");

    // Two removals in a row find the record before by walking the run; the last value of a
    // Push is found the same way and replaced in place.
    auto* back = new RecordRun();
    back->appendValue(Literal::string("ab"));
    back->appendValue(Literal::number(-2.5));
    back->appendAction(0x1C);
    back->appendAction(0x4E);
    EXPECT_TRUE(back->removeLast());
    EXPECT_TRUE(back->removeLast());
    EXPECT_EQ(back->code(), 0x96);
    EXPECT_EQ(back->lastValue().doubleValue(), -2.5);
    back->replaceLastValue(Literal::boolean(false));
    EXPECT_EQ(back->lastValue().type(), Value::kBoolean);
    EXPECT_EQ(Encode(back), "96 06 00 00 61 62 00 05 00");

    RecordRun* single = new RecordRun();
    single->appendAction(0x17);
    EXPECT_FALSE(single->removeLast());
    single->destroy();

    RecordRun* big = new RecordRun();
    const std::string text(70000, 's');
    big->appendValue(Literal::string(text));
    EXPECT_THROW(big->getLength(6), CompileError);
    big->destroy();
}

TEST(CompilerContextTest, PoolKeepsFirstOffersUpToTheVersionsLimit) {
    for (int version : {5, 6}) {
        ASInfo info(version);
        info.addString("a");
        EXPECT_EQ(info.repeated, 0);
        info.addString("a");
        EXPECT_EQ(info.repeated, 1);
        for (int i = 1; i <= 256; ++i)
            info.addString("s" + std::to_string(i));
        EXPECT_EQ(info.indexOf("a"), 0);
        EXPECT_EQ(info.indexOf("s255"), 255);
        EXPECT_EQ(info.indexOf("s256"), version < 6 ? -1 : 256);
        EXPECT_EQ(info.indexOf("never"), -1);
    }
    // The record's 16-bit count and length bound the pool from SWF 6 on.
    ASInfo wide(6);
    for (int i = 0; i < 70000; ++i)
        wide.addString(std::to_string(i));
    EXPECT_LE(wide.pool.size(), 0xFFFFu);
    EXPECT_GT(wide.indexOf("9999"), 0);
    EXPECT_EQ(wide.indexOf("69999"), -1);
}

} // namespace
} // namespace translate
