#include "JsDataBase.h"

#include "KangLiContext.h"
#include "WorkPaths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

const char kBegin[] = "[JsDataBase]";
const char kEnd[] = "[/JsDataBase]";
const char kMark[] = "KANGLI-MARK ";

std::string Escape(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\0')
            out += "\\0";
        else
            out += c;
    }
    return out;
}

std::string Unescape(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char n = s[++i];
            out += n == 'n' ? '\n' : n == 'r' ? '\r' : n == '0' ? '\0' : n;
        } else {
            out += s[i];
        }
    }
    return out;
}

// One physical line of any length, without its line end (LF, CR LF or CR).
// False at end of stream.
bool ReadLine(FILE* f, std::string& line)
{
    line.clear();
    int c;
    bool any = false;
    while ((c = std::fgetc(f)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        if (c == '\r') { // CR LF, or a lone CR
            const int next = std::fgetc(f);
            if (next != '\n' && next != EOF)
                std::ungetc(next, f);
            break;
        }
        line += static_cast<char>(c);
    }
    return any;
}

bool IsBlank(const std::string& s)
{
    return s.find_first_not_of(" \t\r\f\v") == std::string::npos;
}

bool ParseInt(const std::string& s, int& value)
{
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (end == s.c_str() || errno != 0 || v < INT_MIN || v > INT_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

// "JianTuMing3" -> 3 when key starts with prefix and ends in a valid index.
int IndexAfter(const std::string& key, const char* prefix, int count)
{
    size_t n = std::strlen(prefix);
    if (key.compare(0, n, prefix) != 0 || key.size() == n || key.size() > n + 2)
        return -1;
    int idx = 0;
    for (size_t i = n; i < key.size(); ++i) {
        if (key[i] < '0' || key[i] > '9')
            return -1;
        idx = idx * 10 + (key[i] - '0');
    }
    return idx < count ? idx : -1;
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

bool CopyFile(const std::string& from, const std::string& to)
{
    FILE* in = std::fopen(from.c_str(), "rb");
    if (!in)
        return false;
    FILE* out = std::fopen(to.c_str(), "wb");
    if (!out) {
        std::fclose(in);
        return false;
    }
    char buf[8192];
    size_t n;
    bool ok = true;
    while ((n = std::fread(buf, 1, sizeof buf, in)) > 0)
        if (std::fwrite(buf, 1, n, out) != n) {
            ok = false;
            break;
        }
    std::fclose(in);
    if (std::fclose(out) != 0)
        ok = false;
    return ok;
}

} // namespace

CJsDataBase::CJsDataBase()
{
    szJianTuBiaoTi[0] = '\0';
}

CJsDataBase::~CJsDataBase() = default;

void CJsDataBase::SetJianTuBiaoTi(const char* text)
{
    size_t n = text ? std::strlen(text) : 0;
    if (n >= sizeof szJianTuBiaoTi) {
        n = sizeof szJianTuBiaoTi - 1;
        // Back off to the start of a UTF-8 character.
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
    }
    if (n)
        std::memcpy(szJianTuBiaoTi, text, n);
    szJianTuBiaoTi[n] = '\0';
}

int CJsDataBase::bHaveCanShu() { return 1; }

int WriteBiaoShiLine(FILE* stream, const char* key)
{
    if (!stream || !key)
        return 0;
    return std::fprintf(stream, "%s%s\n", kMark, key) > 0 ? 1 : 0;
}

int CheckBiaoShiLine(FILE* stream, const char* key)
{
    if (!stream || !key)
        return 0;
    std::string line;
    if (!ReadLine(stream, line))
        return 0;
    return line == std::string(kMark) + key ? 1 : 0;
}

int CJsDataBase::SetBiaoShi(FILE* stream, const char* key) { return WriteBiaoShiLine(stream, key); }
int CJsDataBase::CheckBiaoShi(FILE* stream, const char* key) { return CheckBiaoShiLine(stream, key); }

std::string CJsDataBase::FileStem() const
{
    // The stem comes from a data file or JSON that anybody may have written: it
    // names files inside the work directory and must never lead out of it.
    std::string stem = strWenJianMing.empty() ? "_" : strWenJianMing;
    for (char& c : stem)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '_';
    return stem;
}

std::string CJsDataBase::GetDataFileName(int) { return FileStem() + ".dat"; }
std::string CJsDataBase::GetResFileName() { return FileStem() + ".rst"; }
std::string CJsDataBase::GetJtFileName(int n)
{
    return FileStem() + "-jt" + std::to_string(n) + ".dxf";
}
std::string CJsDataBase::GetYunTuFileName(int n)
{
    return FileStem() + "-yt" + std::to_string(n) + ".dxf";
}
std::string CJsDataBase::GetJssFileName(int n)
{
    return FileStem() + "-jss" + std::to_string(n) + ".rtf";
}

int CJsDataBase::Remove_Result_Files(const KangLiContext& context)
{
    const std::string& from = context.workPath;
    ::unlink((from + GetResFileName()).c_str());
    for (int i = 0; i < kMaxJianTu; ++i) {
        ::unlink((from + GetJtFileName(i)).c_str());
        ::unlink((from + GetYunTuFileName(i)).c_str());
    }
    for (int i = 0; i < kMaxJiSuanShu; ++i)
        ::unlink((from + GetJssFileName(i)).c_str());
    return 1;
}

int CJsDataBase::CopyModelFiles(const KangLiContext& context, const char* dir)
{
    const std::string& from = context.workPath;
    if (!dir)
        return 0;
    std::string to = WithSeparator(dir);
    int ok = CopyFile(from + GetDataFileName(0), to + GetDataFileName(0)) ? 1 : 0;
    CopyFile(from + GetResFileName(), to + GetResFileName());
    for (int i = 0; i < kMaxJianTu; ++i)
        CopyFile(from + GetJtFileName(i), to + GetJtFileName(i));
    for (int i = 0; i < kMaxJiSuanShu; ++i)
        CopyFile(from + GetJssFileName(i), to + GetJssFileName(i));
    return ok;
}

int CJsDataBase::LoadData(const char*) { return 0; }
int CJsDataBase::SaveData(const char*) { return 0; }
int CJsDataBase::DrawJianTu(CBase_SGT*, int) { return 0; }
int CJsDataBase::LoadData_Ex(const char* path) { return LoadData(path); }

int CJsDataBase::SaveBaseData(FILE* f)
{
    if (!f)
        return 0;
    std::fprintf(f, "%s\n", kBegin);
    std::fprintf(f, "LeiBie=%s\n", Escape(strLeiBie).c_str());
    std::fprintf(f, "MingCheng=%s\n", Escape(strMingCheng).c_str());
    std::fprintf(f, "WenJianMing=%s\n", Escape(strWenJianMing).c_str());
    std::fprintf(f, "BiaoTi=%s\n", Escape(strBiaoTi).c_str());
    std::fprintf(f, "JianTuBiaoTi=%s\n", Escape(szJianTuBiaoTi).c_str());
    std::fprintf(f, "HouXuJiSuan=%d\n", bHouXuJiSuan);
    std::fprintf(f, "TiShiChengGong=%d\n", bTiShiChengGong);
    std::fprintf(f, "JianTuShu=%d\n", nJianTuShu);
    for (int i = 0; i < Clamp(nJianTuShu, 0, kMaxJianTu); ++i)
        std::fprintf(f, "JianTuMing%d=%s\n", i, Escape(strJianTuMing[i]).c_str());
    std::fprintf(f, "JiSuanShuShu=%d\n", nJiSuanShuShu);
    for (int i = 0; i < Clamp(nJiSuanShuShu, 0, kMaxJiSuanShu); ++i)
        std::fprintf(f, "JiSuanShuMing%d=%s\n", i, Escape(strJiSuanShuMing[i]).c_str());
    std::fprintf(f, "SheZhi=");
    for (int i = 0; i < kSheZhiShu; ++i)
        std::fprintf(f, i ? ",%d" : "%d", nSheZhi[i]);
    std::fprintf(f, "\n%s\n", kEnd);
    return 1;
}

int CJsDataBase::LoadBaseData(FILE* f)
{
    if (!f)
        return 0;
    std::string line;
    // The block may follow blank or comment lines; anything else means the file
    // carries no base part.
    for (;;) {
        if (!ReadLine(f, line))
            return 1;
        if (IsBlank(line))
            continue;
        size_t p = line.find_first_not_of(" \t");
        if (line.compare(p, 2, "//") == 0)
            continue;
        if (line == kBegin)
            break;
        return 1;
    }
    while (ReadLine(f, line)) {
        if (line == kEnd)
            break;
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = line.substr(0, eq);
        std::string value = line.substr(eq + 1);
        int n = 0, idx;
        if (key == "LeiBie")
            strLeiBie = Unescape(value);
        else if (key == "MingCheng")
            strMingCheng = Unescape(value);
        else if (key == "WenJianMing")
            strWenJianMing = Unescape(value);
        else if (key == "BiaoTi")
            strBiaoTi = Unescape(value);
        else if (key == "JianTuBiaoTi")
            SetJianTuBiaoTi(Unescape(value).c_str());
        else if (key == "HouXuJiSuan" && ParseInt(value, n))
            bHouXuJiSuan = n;
        else if (key == "TiShiChengGong" && ParseInt(value, n))
            bTiShiChengGong = n;
        else if (key == "JianTuShu" && ParseInt(value, n))
            nJianTuShu = Clamp(n, 0, kMaxJianTu);
        else if (key == "JiSuanShuShu" && ParseInt(value, n))
            nJiSuanShuShu = Clamp(n, 0, kMaxJiSuanShu);
        else if ((idx = IndexAfter(key, "JianTuMing", kMaxJianTu)) >= 0)
            strJianTuMing[idx] = Unescape(value);
        else if ((idx = IndexAfter(key, "JiSuanShuMing", kMaxJiSuanShu)) >= 0)
            strJiSuanShuMing[idx] = Unescape(value);
        else if (key == "SheZhi") {
            const char* s = value.c_str();
            for (int i = 0; i < kSheZhiShu && *s; ++i) {
                char* end = nullptr;
                errno = 0;
                long v = std::strtol(s, &end, 10);
                if (end == s || errno || v < INT_MIN || v > INT_MAX)
                    break;
                nSheZhi[i] = static_cast<int>(v);
                s = *end == ',' ? end + 1 : end;
            }
        }
        // Unknown keys come from newer versions: skipped.
    }
    return 1;
}
