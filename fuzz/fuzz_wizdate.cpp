// libFuzzer target: arbitrary bytes as a WizDate script file (decoded as code
// page 932, as the file reader does). A refused file must leave the table
// untouched; a loaded one must write back to the same statements and must
// run to an end under a small step limit. The same bytes go to the list-file
// reader.
#include "Cp932.h"
#include "WizDate.h"
#include "WizList.h"
#include "WizRun.h"

#include <cstdint>
#include <cstdlib>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = Cp932::decode(QByteArrayView(data, qsizetype(size)));

    WizProgram program;
    program.ops = {MakeWizOp(OpOutPut, {0, 0}, {u"sentinel"_s})};
    const WizProgram before = program;
    if (LoadWizDateFromText(text, &program) != WizLoadResult::Loaded) {
        if (program.ops != before.ops)
            std::abort();
    } else {
        // Texts that the format can carry write back to the same statements
        // (a quoted text holding a comma cannot be written unquoted).
        bool fits = true;
        for (const WizOp &op : program.ops)
            for (const QString &s : op.StrDat)
                fits = fits && WizListTextFits(s);
        WizProgram back;
        if (fits && (LoadWizDateFromText(WizDateToText(program), &back) != WizLoadResult::Loaded || back.ops != program.ops))
            std::abort();
        WizVariables vars;
        const WizRunResult run = RunWizPrg(program, vars, nullptr, u"sel"_s, 10000);
        if (run.steps > 10000)
            std::abort();
    }
    (void)LoadWizListFromText(text);
    return 0;
}
