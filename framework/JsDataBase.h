// Base of every calculation record: its identity in the framework (module key,
// label, file-name stem, title), the lists of diagrams and calculation books it
// produces, and the file names under the work directory that belong to it.
//
// File names, all under the work path, for the file-name stem S (FileStem):
//   data file               S.dat          (GetDataFileName, any number)
//   result-record file      S.rst          (GetResFileName)
//   diagram n               S-jt<n>.dxf    (GetJtFileName)
//   contour picture n       S-yt<n>.dxf    (GetYunTuFileName)
//   calculation book n      S-jss<n>.rtf   (GetJssFileName)
//
// The base part in a data file (SaveBaseData / LoadBaseData) follows the record's
// own lines as a block of key=value lines:
//   [JsDataBase]
//   LeiBie=kl
//   ...
//   [/JsDataBase]
// Texts are written with \\, \n and \r escaped so that any text fits one line.
#pragma once

#include <array>
#include <cstdio>
#include <string>

class CBase_SGT; // drawing canvas
struct KangLiContext;

// The identification mark of a framework file: the one line "KANGLI-MARK <key>".
// CheckBiaoShiLine reads one line and returns 1 when it is the mark for key.
int WriteBiaoShiLine(FILE* stream, const char* key);
int CheckBiaoShiLine(FILE* stream, const char* key);

class CJsDataBase {
public:
    static constexpr int kMaxJianTu = 8;     // diagrams a record may name
    static constexpr int kMaxJiSuanShu = 8;  // calculation books a record may name
    static constexpr int kSheZhiShu = 8;     // the framework's integer settings

    CJsDataBase();

    virtual int bHaveCanShu();
    virtual int SetBiaoShi(FILE* stream, const char* key);
    virtual int CheckBiaoShi(FILE* stream, const char* key);
    // Deletes the result-record file, the diagrams and the books of this record
    // under the context's work path.
    virtual int Remove_Result_Files(const KangLiContext& context);
    // Copies the data file and whatever result files exist from the context's
    // work path into dir (ending with a separator). Returns 1 when the data
    // file was copied.
    virtual int CopyModelFiles(const KangLiContext& context, const char* dir);
    virtual std::string GetDataFileName(int n);
    virtual std::string GetResFileName();
    virtual std::string GetJtFileName(int n);
    virtual std::string GetYunTuFileName(int n);
    virtual std::string GetJssFileName(int n);
    virtual ~CJsDataBase();
    virtual int LoadData(const char* path);
    virtual int SaveData(const char* path);
    virtual int DrawJianTu(CBase_SGT* canvas, int n);
    virtual int LoadData_Ex(const char* path);

    // The base part at the end of a data file. LoadBaseData accepts a stream that
    // ends before the block (the base part keeps its values then) and returns 1
    // unless the stream is null.
    int SaveBaseData(FILE* stream);
    int LoadBaseData(FILE* stream);

    std::string strLeiBie;       // module key
    std::string strMingCheng;    // label
    std::string strWenJianMing;  // file-name stem
    std::string strBiaoTi;       // title
    char szJianTuBiaoTi[64];     // sketch title, fixed size, UTF-8, NUL-terminated
    int bHouXuJiSuan = 0;
    int bTiShiChengGong = 0;
    int nJianTuShu = 0;
    std::array<std::string, kMaxJianTu> strJianTuMing;
    int nJiSuanShuShu = 0;
    std::array<std::string, kMaxJiSuanShu> strJiSuanShuMing;
    std::array<int, kSheZhiShu> nSheZhi{}; // the framework's own switches

    void SetJianTuBiaoTi(const char* text); // truncates on a character boundary

    // The file-name stem as a plain name: every "/", "\\" and control character
    // (NUL included) of strWenJianMing becomes "_", and an empty stem "_", so
    // that a record's files stay in the directory they are written to.
    std::string FileStem() const;
};
