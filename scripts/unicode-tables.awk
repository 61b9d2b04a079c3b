# Writes the tables of conversion/name_folding.cpp from the Unicode Character Database as Debian's
# unicode-data package installs it:
#   awk -v out=unicode_tables.inc -f unicode-tables.awk UnicodeData.txt CaseFolding.txt
# From UnicodeData.txt: canonical decompositions, combining classes, simple upper and lower
# case; from CaseFolding.txt: the full case folding (statuses C and F).
BEGIN {
    FS = ";"
    print "// Made by scripts/unicode-tables.awk from the Unicode Character Database; not edited." > out
}

function hex(text) {
    return "0x" text
}

function codes(list,    parts, count, at, joined) {
    count = split(list, parts, " ")
    joined = ""
    for (at = 1; at <= 3; ++at) {
        joined = joined (at > 1 ? ", " : "") (at <= count ? hex(parts[at]) : "0")
    }
    return joined
}

FILENAME ~ /UnicodeData/ {
    if ($6 != "" && substr($6, 1, 1) != "<") {
        decompositions[++decomposition_count] = "    {" hex($1) ", {" codes($6) "}},"
    }
    if ($4 != "0") {
        classes[++class_count] = "    {" hex($1) ", " $4 "},"
    }
    if ($13 != "") {
        uppers[++upper_count] = "    {" hex($1) ", " hex($13) "},"
    }
    if ($14 != "") {
        lowers[++lower_count] = "    {" hex($1) ", " hex($14) "},"
    }
    next
}

FILENAME ~ /CaseFolding/ && $0 !~ /^#/ && NF >= 3 {
    status = $2
    gsub(/ /, "", status)
    if (status == "C" || status == "F") {
        mapping = $3
        sub(/^ /, "", mapping)
        foldings[++folding_count] = "    {" hex($1) ", {" codes(mapping) "}},"
    }
}

function table(type, name, rows, count,    at) {
    print "constexpr " type " " name "[] = {" > out
    for (at = 1; at <= count; ++at) {
        print rows[at] > out
    }
    print "};" > out
}

END {
    table("CodeMapping", "Decompositions", decompositions, decomposition_count)
    table("CodeClass", "CombiningClasses", classes, class_count)
    table("CodePair", "SimpleUpper", uppers, upper_count)
    table("CodePair", "SimpleLower", lowers, lower_count)
    table("CodeMapping", "CaseFoldings", foldings, folding_count)
}
