#include "Holder.h"
#include "File.h"
#include "Rt.h"
#include "RtCalls.h"
#include "ScopedHandle.h"
#include "Str.h"
#include "StrWide.h"
#include <restartmanager.h>

struct HolderApi {
    decltype(&RmStartSession) startSession;
    decltype(&RmRegisterResources) registerResources;
    decltype(&RmGetList) getList;
    decltype(&RmEndSession) endSession;
};

// More holders than this for one file are not listed: the file is then
// said to be held by a program not named, as when none is named.
constexpr UINT HolderMostListed = 32;
// Room for holders that come between the count and the list.
constexpr UINT HolderSpareRoom = 4;

// 1 when every function is there.
static int HolderLoad(HolderApi& api)
{
    api.startSession = RtRmStartSession();
    api.registerResources = RtRmRegisterResources();
    api.getList = RtRmGetList();
    api.endSession = RtRmEndSession();
    return api.startSession && api.registerResources && api.getList && api.endSession;
}

// The list the session holds, in a new heap block of *count entries (which
// the caller frees with RtFree); null when there is none to give. Asked
// twice: first how many there are, then for them, with room for a few more.
static RM_PROCESS_INFO* HolderList(const HolderApi& api, DWORD session, UINT* count)
{
    UINT needed = 0;
    UINT filled = 0;
    DWORD reasons = 0;
    *count = 0;
    if (api.getList(session, &needed, &filled, nullptr, &reasons) != ERROR_MORE_DATA || needed == 0
        || needed > HolderMostListed)
        return nullptr;
    UINT room = needed + HolderSpareRoom;
    auto* list = (RM_PROCESS_INFO*)RtAlloc(room * sizeof(RM_PROCESS_INFO));
    filled = room;
    if (!list || api.getList(session, &needed, &filled, list, &reasons) != ERROR_SUCCESS) {
        RtFree(list);
        return nullptr;
    }
    *count = filled < room ? filled : room;
    return list;
}

// The name as the list gives it, cut to its field, control characters
// (which would break a line of a log) made blanks.
static const wchar_t* HolderCleanName(RM_PROCESS_INFO& entry)
{
    wchar_t* name = entry.strAppName;
    name[CCH_RM_MAX_APP_NAME] = 0;
    for (wchar_t* c = name; *c; c++) {
        if (*c < L' ')
            *c = L' ';
    }
    return name;
}

static int HolderSameName(const wchar_t* one, const wchar_t* other)
{
    while (*one && *one == *other) {
        one++;
        other++;
    }
    return *one == *other;
}

// 1 when an entry before this one has the same name: two windows of one
// program are one program to close.
static int HolderNamedBefore(const RM_PROCESS_INFO* list, UINT index)
{
    for (UINT i = 0; i < index; i++) {
        if (HolderSameName(list[i].strAppName, list[index].strAppName))
            return 1;
    }
    return 0;
}

// Appends each name not seen before; returns how many it appended.
static int HolderAppendNames(RM_PROCESS_INFO* list, UINT count)
{
    int named = 0;
    for (UINT i = 0; i < count; i++) {
        const wchar_t* name = HolderCleanName(list[i]);
        if (!name[0] || HolderNamedBefore(list, i))
            continue;
        TempStr before = StrWorkPosition();
        StrAppend(named > 0 ? ", " : "");
        TempStr start = StrWorkPosition();
        if (StrLen(StrFromWide(name, start)) == 0) {
            StrRewind(before);
            StrAppend("");
            continue;
        }
        named++;
    }
    return named;
}

// What a question is about: one file by its path, or the processes found
// using an open file.
struct HolderQuestion {
    const wchar_t* path;
    RM_UNIQUE_PROCESS* processes;
    UINT processCount;
};

static int HolderAsk(const HolderApi& api, const HolderQuestion& question)
{
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (api.startSession(&session, 0, key) != ERROR_SUCCESS)
        return 0;
    LPCWSTR files[] = {question.path};
    UINT fileCount = question.path ? 1 : 0;
    UINT count = 0;
    RM_PROCESS_INFO* list = api.registerResources(session, fileCount, fileCount ? files : nullptr,
                                                  question.processCount, question.processes, 0, nullptr)
            == ERROR_SUCCESS
        ? HolderList(api, session, &count)
        : nullptr;
    int named = list ? HolderAppendNames(list, count) : 0;
    RtFree(list);
    api.endSession(session);
    return named;
}

static int HolderAnswer(const HolderQuestion& question, TempStr resultStart)
{
    StrRewind(resultStart);
    StrAppend("");
    HolderApi api = {};
    return (question.path || question.processCount > 0) && HolderLoad(api) ? HolderAsk(api, question) : 0;
}

int HolderNames(const char* path, TempStr resultStart)
{
    HeapWideStr widePath = FileWidePath(path);
    int named = widePath ? HolderAnswer({widePath, nullptr, 0}, resultStart) : HolderAnswer({}, resultStart);
    RtFree(widePath);
    return named;
}

// FILE_PROCESS_IDS_USING_FILE_INFORMATION, with room for the most listed,
// and its class.
struct HolderProcessIds {
    ULONG count;
    ULONG_PTR ids[HolderMostListed];
};
constexpr int HolderProcessIdsClass = 47;       // FileProcessIdsUsingFileInformation

// The process as the Restart Manager tells one from a later one of the same
// id: by its start. 0 when it cannot be asked (it has ended).
static int HolderProcess(DWORD id, RM_UNIQUE_PROCESS* process)
{
    ScopedHandle opened(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    FILETIME created = {}, exited = {}, kernel = {}, user = {};
    int known = opened.handle && GetProcessTimes(opened.handle, &created, &exited, &kernel, &user);
    *process = {id, created};
    return known;
}

int HolderNamesOfOpen(HANDLE open, TempStr resultStart)
{
    auto queryInformation = RtNtQueryInformationFile();
    HolderProcessIds ids = {};
    IO_STATUS_BLOCK io = {};
    // More than the most listed, or a system that does not say: none named.
    if (!open || !queryInformation || queryInformation(open, &io, &ids, sizeof ids, HolderProcessIdsClass) < 0)
        return HolderAnswer({}, resultStart);
    RM_UNIQUE_PROCESS processes[HolderMostListed];
    UINT count = 0;
    DWORD self = GetCurrentProcessId();
    for (ULONG i = 0; i < ids.count && i < HolderMostListed; i++) {
        if ((DWORD)ids.ids[i] != self && HolderProcess((DWORD)ids.ids[i], &processes[count]))
            count++;
    }
    return HolderAnswer({nullptr, processes, count}, resultStart);
}
