#include "app/rights/Channel.h"
#include "app/AppHook.h"
#include "gui/Win.h"
#include "runtime/Rt.h"
#include "runtime/RtCalls.h"
#include "runtime/RtToken.h"
#include "runtime/Str.h"

// ASCII, made wide as the path is written.
static const char ChannelPrefix[] = "\\\\.\\pipe\\QuillfernSetup.";
constexpr int ChannelPrefixLength = sizeof ChannelPrefix / sizeof ChannelPrefix[0] - 1;
// A record holds at most a log line: a host folder as long as Windows allows
// (3 bytes of UTF-8 for each UTF-16 unit) and the words after it.
constexpr DWORD ChannelBufferSize = RtPathCapacity * 3 + 256;
// A client that connected before the copy (refused, see ChannelAccept)
// keeps the one instance busy until the installer lets it go.
constexpr int ChannelOpenTries = 5;
constexpr DWORD ChannelBusyWaitMs = 2000;

static HANDLE ChannelPipe;         // null when none is open
static HANDLE ChannelEvent;        // of every overlapped operation, one at a time
static char* ChannelBuffer;        // the last record received
static char ChannelNameText[ChannelNameLength + 1];


static void ChannelPath(const char* name, wchar_t* path)
{
    for (int i = 0; i < ChannelPrefixLength; i++)
        path[i] = (wchar_t)ChannelPrefix[i];
    for (int i = 0; i < ChannelNameLength; i++)
        path[ChannelPrefixLength + i] = (wchar_t)(unsigned char)name[i];
    path[ChannelPrefixLength + ChannelNameLength] = 0;
}

static int ChannelPrepare()
{
    ChannelBuffer = (char*)RtAllocUnzeroed(ChannelBufferSize);
    ChannelEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return ChannelBuffer && ChannelEvent;
}

// Both ends are opened for overlapped operations, so that the first copy can
// wait for the connection and for the end of the copy at once; each one is
// waited for here before the next.
static int ChannelComplete(BOOL done, OVERLAPPED* overlapped, DWORD* bytes)
{
    if (!done && GetLastError() != ERROR_IO_PENDING)
        return 0;
    if (!done && WinWaitObjects(&ChannelEvent, 1) != 0) {
        CancelIo(ChannelPipe);
        GetOverlappedResult(ChannelPipe, overlapped, bytes, TRUE);
        return 0;
    }
    return GetOverlappedResult(ChannelPipe, overlapped, bytes, FALSE) ? 1 : 0;
}

static int ChannelWrite(const char* bytes, DWORD size)
{
    OVERLAPPED overlapped = {};
    overlapped.hEvent = ChannelEvent;
    DWORD written = 0;
    BOOL done = WriteFile(ChannelPipe, bytes, size, &written, &overlapped);
    return ChannelComplete(done, &overlapped, &written) && written == size;
}

// One whole message into the buffer, zero-terminated; a larger one fails.
static DWORD ChannelRead()
{
    OVERLAPPED overlapped = {};
    overlapped.hEvent = ChannelEvent;
    DWORD read = 0;
    BOOL done = ReadFile(ChannelPipe, ChannelBuffer, ChannelBufferSize - 1, &read, &overlapped);
    if (!ChannelComplete(done, &overlapped, &read))
        return 0;
    ChannelBuffer[read] = 0;
    return read;
}

// What the two copies may do with the pipe: read and write records.
constexpr DWORD ChannelAccess = FILE_GENERIC_READ | FILE_GENERIC_WRITE;
constexpr DWORD ChannelAclSize = sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE);
// The account that runs this copy, in `tokenUser`.
static PSID ChannelOwnUser(RtTokenUser* tokenUser)
{
    return RtOwnToken(TokenUser, tokenUser, sizeof *tokenUser) > 0 ? tokenUser->user.User.Sid : nullptr;
}

// A list of its own, inheriting nothing, admitting the account that runs
// this copy and the Administrators group (the account that consents for the
// copy with rights may be another one); nobody else may open the pipe.
static int ChannelDescribe(SECURITY_DESCRIPTOR* descriptor, ACL* acl)
{
    RtTokenUser tokenUser;
    DWORD administrators[SECURITY_MAX_SID_SIZE / sizeof(DWORD)];
    DWORD administratorsSize = sizeof administrators;
    PSID user = ChannelOwnUser(&tokenUser);
    return user && CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &administratorsSize)
        && InitializeAcl(acl, ChannelAclSize, ACL_REVISION)
        && AddAccessAllowedAce(acl, ACL_REVISION, ChannelAccess, user)
        && AddAccessAllowedAce(acl, ACL_REVISION, ChannelAccess, administrators)
        && InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION)
        && SetSecurityDescriptorDacl(descriptor, TRUE, acl, FALSE)
        && SetSecurityDescriptorControl(descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
}

int ChannelCreate()
{
    SECURITY_DESCRIPTOR descriptor;
    DWORD acl[ChannelAclSize / sizeof(DWORD)];
    if (!RtRandomHex(ChannelNameText, ChannelNameLength) || !ChannelDescribe(&descriptor, (ACL*)acl)
        || !ChannelPrepare())
        return 0;
    SECURITY_ATTRIBUTES security = {sizeof security, &descriptor, FALSE};
    wchar_t path[ChannelPrefixLength + ChannelNameLength + 1];
    ChannelPath(ChannelNameText, path);
    // The first instance of that name, and the only one: no process that
    // guessed the name can have made it before, nor serve it beside us.
    HANDLE pipe = CreateNamedPipeW(path, PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
                                   ChannelBufferSize, ChannelBufferSize, 0, &security);
    if (pipe == INVALID_HANDLE_VALUE)
        return 0;
    ChannelPipe = pipe;
    return 1;
}

const char* ChannelName()
{
    return ChannelNameText;
}

// 1 when the client is the process: both functions came with Windows Vista,
// and are looked up so that the program still starts on older systems.
static int ChannelClientIs(HANDLE process)
{
    auto processId = RtGetProcessId();
    auto pipeClient = RtGetNamedPipeClientProcessId();
    ULONG client = 0;
    return processId && pipeClient && pipeClient(ChannelPipe, &client) && client != 0 && client == processId(process);
}

// 1 when a client connected, 0 when the process ended first or the pipe
// failed, -1 when a client came and went before it was seen.
static int ChannelConnect(HANDLE process)
{
    OVERLAPPED overlapped = {};
    overlapped.hEvent = ChannelEvent;
    if (ConnectNamedPipe(ChannelPipe, &overlapped))
        return 1;
    DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED)
        return 1;
    if (error == ERROR_NO_DATA)
        return -1;
    if (error != ERROR_IO_PENDING)
        return 0;
    HANDLE awaited[] = {ChannelEvent, process};
    DWORD bytes = 0;
    if (WinWaitObjects(awaited, 2) == 0)
        return GetOverlappedResult(ChannelPipe, &overlapped, &bytes, FALSE) ? 1 : -1;
    CancelIo(ChannelPipe);
    GetOverlappedResult(ChannelPipe, &overlapped, &bytes, TRUE);
    return 0;
}

// Another process of the same account, or of an administrator, may connect
// first: it is dropped, and the copy's turn comes.
int ChannelAccept(HANDLE process)
{
    for (;;) {
        int connected = ChannelConnect(process);
        if (connected == 0)
            return 0;
        if (connected > 0 && ChannelClientIs(process)) {
            char go = ChannelGo;
            return ChannelWrite(&go, 1);
        }
        DisconnectNamedPipe(ChannelPipe);
    }
}

int ChannelReceive(ChannelRecord* record)
{
    DWORD size = ChannelRead();
    return size > 0 && ChannelParseRecord(ChannelBuffer, (int)size, record);
}

void ChannelClose()
{
    if (ChannelPipe)
        CloseHandle(ChannelPipe);
    ChannelPipe = nullptr;
    if (ChannelEvent)
        CloseHandle(ChannelEvent);
    ChannelEvent = nullptr;
    RtFree(ChannelBuffer);
    ChannelBuffer = nullptr;
}

// Opened for identification only: the first copy, with fewer rights, may
// learn who the copy is but never act with its rights.
int ChannelOpenUnhooked(const char* name, int nameLength)
{
    if (nameLength != ChannelNameLength)
        return 0;
    if (!ChannelPrepare()) {
        ChannelClose();
        return 0;
    }
    wchar_t path[ChannelPrefixLength + ChannelNameLength + 1];
    ChannelPath(name, path);
    for (int tries = 0; !ChannelPipe && tries < ChannelOpenTries; tries++) {
        HANDLE pipe = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
        if (pipe != INVALID_HANDLE_VALUE) {
            ChannelPipe = pipe;
            break;
        }
        if (GetLastError() != ERROR_PIPE_BUSY || !WaitNamedPipeW(path, ChannelBusyWaitMs))
            break;
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    ChannelRecord go;
    int opened = ChannelPipe && SetNamedPipeHandleState(ChannelPipe, &mode, nullptr, nullptr)
        && ChannelReceive(&go) && go.kind == ChannelGo;
    if (!opened)
        ChannelClose();
    return opened;
}

int ChannelOpen(const char* name, int nameLength)
{
    if (AppHooks.ChannelOpen)
        return AppHooks.ChannelOpen(name, nameLength);
    return ChannelOpenUnhooked(name, nameLength);
}

// A record of the kind and the text; with holders, the text's terminator
// and the holders after it, the record stopping before their terminator.
static int ChannelSendTexts(ChannelKind kind, const char* text, const char* holders)
{
    TempStr record = StrWorkPosition();
    const char kindText[] = {kind, 0};
    StrAppend(kindText);
    StrAppend(text);
    if (holders) {
        StrSkipTerminator();
        StrAppend(holders);
    }
    int sent = ChannelWrite(record, (DWORD)(StrWorkPosition() - record));
    StrRewind(record);
    return sent;
}

int ChannelSendLine(const char* text)
{
    return ChannelSendTexts(ChannelLine, text, nullptr);
}

int ChannelSendNumber(ChannelKind kind, int number)
{
    char record[ChannelNumberSize] = {kind};
    for (int i = 1; i < ChannelNumberSize; i++, number >>= 8)
        record[i] = (char)(number & 0xFF);
    return ChannelWrite(record, (DWORD)ChannelNumberSize);
}

// The name and the holders side by side in one record, each zero-terminated
// in the work buffer; the record stops before the holders' terminator.
int ChannelAskRetry(const char* name, const char* holders)
{
    int sent = ChannelSendTexts(ChannelQuestion, name, holders);
    ChannelRecord answer;
    return sent && ChannelReceive(&answer) && answer.kind == ChannelAnswer && answer.number == 1;
}
