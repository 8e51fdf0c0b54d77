// Latin words of two and more readings in the build's Hindi data, each
// learned by committing its second candidate: the words that the
// applications of the user cache's sharing tests type.
#ifndef IME_T13N_USER_CACHE_SHARING_TEST_WORDS_H_
#define IME_T13N_USER_CACHE_SHARING_TEST_WORDS_H_

namespace ime_t13n {
namespace testing_helpers {

constexpr int kSharingWordCount = 100;
constexpr const wchar_t* kSharingWords[kSharingWordCount] = {
    L"kal",    L"dil",    L"mera",   L"tera",    L"ghar",    L"pani",
    L"raat",   L"din",    L"log",    L"kaam",    L"naam",    L"baat",
    L"jal",    L"mann",   L"pyar",   L"sach",    L"dost",    L"khel",
    L"gaana",  L"shaam",  L"chitra", L"natak",   L"kitab",   L"kalam",
    L"sapna",  L"nadi",   L"pahad",  L"sadak",   L"bazar",   L"khana",
    L"safar",  L"kavita", L"samay",  L"jivan",   L"chand",   L"taara",
    L"phool",  L"baag",   L"ped",    L"patta",   L"hawa",    L"dhoop",
    L"barish", L"badal",  L"aag",    L"mitti",   L"sona",    L"chandi",
    L"lohaa",  L"kapda",  L"aam",    L"kela",    L"seb",     L"angoor",
    L"doodh",  L"roti",   L"dal",    L"chawal",  L"sabzi",   L"namak",
    L"cheeni", L"chai",   L"kursi",  L"mez",     L"darwaza", L"khidki",
    L"chhat",  L"deewar", L"kamra",  L"rasta",   L"gaon",    L"shahar",
    L"desh",   L"rajya",  L"nagar",  L"mandir",  L"school",  L"kaksha",
    L"adhyapak", L"chhatra", L"pustak", L"akshar", L"shabd", L"vakya",
    L"bhasha", L"lipi",   L"ganit",  L"vigyan",  L"itihas",  L"bhugol",
    L"kheti",  L"kisan",  L"majdoor", L"vyapar", L"dukaan",  L"paisa",
    L"bazaar", L"mela",   L"utsav",  L"parv"};

}  // namespace testing_helpers
}  // namespace ime_t13n

#endif  // IME_T13N_USER_CACHE_SHARING_TEST_WORDS_H_
