# Counts the test cases of one CTest run for scripts/test; prints "passed failed".
#   awk -f count_cases.awk LastTest.log ctest.log
# LastTest.log holds each test's whole output; CTest's own lines give each
# test's verdict. A GoogleTest program counts the cases it said it was running
# ("[==========] Running N tests"), a unittest program those it ran ("Ran N
# tests"); any other test is one case. A case reported neither passed nor
# skipped has failed: a program that dies before its summary fails all of its
# cases, and a test that CTest says failed fails at least one.

# "(failures=1, errors=2)": the number after key, 0 when key is absent.
function tally(line, key,   text) {
    if (!match(line, "[(,] ?" key "=[0-9]+"))
        return 0
    text = substr(line, RSTART, RLENGTH)
    sub(/.*=/, "", text)
    return text + 0
}

{ sub(/\r$/, "") }

# ---- LastTest.log: what each test reported
FNR == NR && /^[0-9]+\/[0-9]+ Testing: / { name = $3; unittest = 0 }
FNR == NR && /^\[==========\] Running [0-9]+ tests? from / { ran[name] += $3 }
FNR == NR && /^\[  PASSED  \] [0-9]+ tests?\.$/ { passed[name] += $4 }
FNR == NR && /^\[  SKIPPED \] [0-9]+ tests?, / { skipped[name] += $4 }
FNR == NR && /^Ran [0-9]+ tests? in / { ran[name] += $2; unittest = $2 }
FNR == NR && unittest && /^(OK|FAILED)( \(.*\))?$/ {
    skips = tally($0, "skipped")
    skipped[name] += skips
    passed[name] += unittest - skips - tally($0, "failures") - tally($0, "errors") \
        - tally($0, "unexpected successes")
    unittest = 0
}
FNR == NR { next }

# ---- CTest's lines: one verdict per test
/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / {
    name = $4
    verdict = / Passed +[0-9.]+ sec$/ ? "passed" : /\*\*\*Skipped / ? "skipped" : "failed"
    if (!(name in ran)) {
        good += (verdict == "passed")
        bad += (verdict == "failed")
        next
    }
    lost = ran[name] - passed[name] - skipped[name]
    if (verdict == "failed" && lost < 1)
        lost = 1
    good += passed[name]
    bad += lost
}

END { print good + 0, bad + 0 }
