// Named character references: the entities of HTML 4.01 plus apos, sorted
// by their lower-case spelling. Where HTML defines a name in two letter cases
// (agrave and Agrave, rarr and rArr), the lower-case spelling gives `lower`
// and every other spelling gives `other`; for the rest both are the same.
#include "markup/char_reference_table.h"

namespace q730x {

const CharReferenceName kCharReferenceNames[] = {
    {"aacute", 225, 193}, {"acirc", 226, 194}, {"acute", 180, 180}, {"aelig", 230, 198},
    {"agrave", 224, 192}, {"alefsym", 8501, 8501}, {"alpha", 945, 913}, {"amp", 38, 38},
    {"and", 8743, 8743}, {"ang", 8736, 8736}, {"apos", 39, 39}, {"aring", 229, 197},
    {"asymp", 8776, 8776}, {"atilde", 227, 195}, {"auml", 228, 196}, {"bdquo", 8222, 8222},
    {"beta", 946, 914}, {"brvbar", 166, 166}, {"bull", 8226, 8226}, {"cap", 8745, 8745},
    {"ccedil", 231, 199}, {"cedil", 184, 184}, {"cent", 162, 162}, {"chi", 967, 935},
    {"circ", 710, 710}, {"clubs", 9827, 9827}, {"cong", 8773, 8773}, {"copy", 169, 169},
    {"crarr", 8629, 8629}, {"cup", 8746, 8746}, {"curren", 164, 164}, {"dagger", 8224, 8225},
    {"darr", 8595, 8659}, {"deg", 176, 176}, {"delta", 948, 916}, {"diams", 9830, 9830},
    {"divide", 247, 247}, {"eacute", 233, 201}, {"ecirc", 234, 202}, {"egrave", 232, 200},
    {"empty", 8709, 8709}, {"emsp", 8195, 8195}, {"ensp", 8194, 8194}, {"epsilon", 949, 917},
    {"equiv", 8801, 8801}, {"eta", 951, 919}, {"eth", 240, 208}, {"euml", 235, 203},
    {"euro", 8364, 8364}, {"exist", 8707, 8707}, {"fnof", 402, 402}, {"forall", 8704, 8704},
    {"frac12", 189, 189}, {"frac14", 188, 188}, {"frac34", 190, 190}, {"frasl", 8260, 8260},
    {"gamma", 947, 915}, {"ge", 8805, 8805}, {"gt", 62, 62}, {"harr", 8596, 8660},
    {"hearts", 9829, 9829}, {"hellip", 8230, 8230}, {"iacute", 237, 205}, {"icirc", 238, 206},
    {"iexcl", 161, 161}, {"igrave", 236, 204}, {"image", 8465, 8465}, {"infin", 8734, 8734},
    {"int", 8747, 8747}, {"iota", 953, 921}, {"iquest", 191, 191}, {"isin", 8712, 8712},
    {"iuml", 239, 207}, {"kappa", 954, 922}, {"lambda", 955, 923}, {"lang", 9001, 9001},
    {"laquo", 171, 171}, {"larr", 8592, 8656}, {"lceil", 8968, 8968}, {"ldquo", 8220, 8220},
    {"le", 8804, 8804}, {"lfloor", 8970, 8970}, {"lowast", 8727, 8727}, {"loz", 9674, 9674},
    {"lrm", 8206, 8206}, {"lsaquo", 8249, 8249}, {"lsquo", 8216, 8216}, {"lt", 60, 60},
    {"macr", 175, 175}, {"mdash", 8212, 8212}, {"micro", 181, 181}, {"middot", 183, 183},
    {"minus", 8722, 8722}, {"mu", 956, 924}, {"nabla", 8711, 8711}, {"nbsp", 160, 160},
    {"ndash", 8211, 8211}, {"ne", 8800, 8800}, {"ni", 8715, 8715}, {"not", 172, 172},
    {"notin", 8713, 8713}, {"nsub", 8836, 8836}, {"ntilde", 241, 209}, {"nu", 957, 925},
    {"oacute", 243, 211}, {"ocirc", 244, 212}, {"oelig", 339, 338}, {"ograve", 242, 210},
    {"oline", 8254, 8254}, {"omega", 969, 937}, {"omicron", 959, 927}, {"oplus", 8853, 8853},
    {"or", 8744, 8744}, {"ordf", 170, 170}, {"ordm", 186, 186}, {"oslash", 248, 216},
    {"otilde", 245, 213}, {"otimes", 8855, 8855}, {"ouml", 246, 214}, {"para", 182, 182},
    {"part", 8706, 8706}, {"permil", 8240, 8240}, {"perp", 8869, 8869}, {"phi", 966, 934},
    {"pi", 960, 928}, {"piv", 982, 982}, {"plusmn", 177, 177}, {"pound", 163, 163},
    {"prime", 8242, 8243}, {"prod", 8719, 8719}, {"prop", 8733, 8733}, {"psi", 968, 936},
    {"quot", 34, 34}, {"radic", 8730, 8730}, {"rang", 9002, 9002}, {"raquo", 187, 187},
    {"rarr", 8594, 8658}, {"rceil", 8969, 8969}, {"rdquo", 8221, 8221}, {"real", 8476, 8476},
    {"reg", 174, 174}, {"rfloor", 8971, 8971}, {"rho", 961, 929}, {"rlm", 8207, 8207},
    {"rsaquo", 8250, 8250}, {"rsquo", 8217, 8217}, {"sbquo", 8218, 8218}, {"scaron", 353, 352},
    {"sdot", 8901, 8901}, {"sect", 167, 167}, {"shy", 173, 173}, {"sigma", 963, 931},
    {"sigmaf", 962, 962}, {"sim", 8764, 8764}, {"spades", 9824, 9824}, {"sub", 8834, 8834},
    {"sube", 8838, 8838}, {"sum", 8721, 8721}, {"sup", 8835, 8835}, {"sup1", 185, 185},
    {"sup2", 178, 178}, {"sup3", 179, 179}, {"supe", 8839, 8839}, {"szlig", 223, 223},
    {"tau", 964, 932}, {"there4", 8756, 8756}, {"theta", 952, 920}, {"thetasym", 977, 977},
    {"thinsp", 8201, 8201}, {"thorn", 254, 222}, {"tilde", 732, 732}, {"times", 215, 215},
    {"trade", 8482, 8482}, {"uacute", 250, 218}, {"uarr", 8593, 8657}, {"ucirc", 251, 219},
    {"ugrave", 249, 217}, {"uml", 168, 168}, {"upsih", 978, 978}, {"upsilon", 965, 933},
    {"uuml", 252, 220}, {"weierp", 8472, 8472}, {"xi", 958, 926}, {"yacute", 253, 221},
    {"yen", 165, 165}, {"yuml", 255, 376}, {"zeta", 950, 918}, {"zwj", 8205, 8205},
    {"zwnj", 8204, 8204},
};

const std::size_t kCharReferenceNameCount = sizeof(kCharReferenceNames) / sizeof(kCharReferenceNames[0]);

}  // namespace q730x
