// A small Windows program for the checks under Wine.
//
//   wine_test_host preview SAVER STOP RESULT
//     Plays the screen-saver settings dialog: opens a 320 x 240 window at
//     (100, 100) painted magenta, starts "SAVER /p HANDLE" as the dialog does
//     and, once the file STOP exists, destroys its window. RESULT then holds
//     a first line "child WxH" naming the size of the saver's window inside
//     the host's ("child none" without one), and a second line "ended CODE"
//     when the saver ended within 20 seconds of the window going, with its
//     exit code, else "running"; "early CODE" alone when the saver ended
//     before the window went.
//   wine_test_host trust CERTIFICATE
//     Adds a DER certificate to the machine's store of trusted roots.
#include <windows.h>
// After windows.h, whose types it uses.
#include <wincrypt.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kLeft = 100, kTop = 100, kWidth = 320, kHeight = 240;
constexpr UINT_PTR kPollTimer = 1;

struct Preview {
    std::string stopFile;
    std::string resultFile;
    PROCESS_INFORMATION saver{};
    bool ended = false;
    std::string child = "child none\n";
};
Preview gPreview;

// The saver's window inside ours: a child window of the saver's process.
BOOL CALLBACK findSaverChild(HWND child, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(child, &process);
    if (process != gPreview.saver.dwProcessId) return TRUE;
    RECT r{};
    GetClientRect(child, &r);
    gPreview.child =
        "child " + std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + "\n";
    return FALSE;
}

void writeResult(const std::string& text) {
    if (FILE* f = std::fopen(gPreview.resultFile.c_str(), "wb")) {
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }
}

std::string exitText(const char* word) {
    DWORD code = 0;
    GetExitCodeProcess(gPreview.saver.hProcess, &code);
    return std::string(word) + " " + std::to_string(code) + "\n";
}

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kPollTimer) {
        if (WaitForSingleObject(gPreview.saver.hProcess, 0) == WAIT_OBJECT_0) {
            writeResult(exitText("early"));
            gPreview.ended = true;
            DestroyWindow(window);
        } else if (GetFileAttributesA(gPreview.stopFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
            EnumChildWindows(window, findSaverChild, 0);
            DestroyWindow(window);
        }
        return 0;
    }
    if (message == WM_DESTROY) {
        KillTimer(window, kPollTimer);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int runPreview(const std::string& saver) {
    const HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = hostProc;
    wc.hInstance = module;
    wc.hbrBackground = CreateSolidBrush(RGB(255, 0, 255));
    wc.lpszClassName = "GvPreviewHost";
    if (!RegisterClassA(&wc)) return 2;
    HWND host = CreateWindowExA(0, wc.lpszClassName, "Geovista preview host",
                                WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, kLeft, kTop, kWidth,
                                kHeight, nullptr, nullptr, module, nullptr);
    if (!host) return 2;
    UpdateWindow(host);

    // As the settings dialog starts it: the handle in decimal after "/p".
    std::string command = "\"" + saver + "\" /p " + std::to_string(uintptr_t(host));
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &gPreview.saver)) {
        writeResult("not started\n");
        return 2;
    }
    SetTimer(host, kPollTimer, 100, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (gPreview.ended) return 1;
    const bool ended = WaitForSingleObject(gPreview.saver.hProcess, 20000) == WAIT_OBJECT_0;
    writeResult(gPreview.child + (ended ? exitText("ended") : std::string("running\n")));
    if (!ended) TerminateProcess(gPreview.saver.hProcess, 1);
    return ended ? 0 : 1;
}

int trust(const std::string& certificateFile) {
    FILE* f = std::fopen(certificateFile.c_str(), "rb");
    if (!f) return 2;
    std::vector<BYTE> der;
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f))
        der.push_back(BYTE(c));
    std::fclose(f);
    HCERTSTORE store =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "ROOT");
    if (!store) return 2;
    const BOOL added =
        CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), DWORD(der.size()),
                                         CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    CertCloseStore(store, 0);
    return added ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "preview" && argc == 5) {
        gPreview.stopFile = argv[3];
        gPreview.resultFile = argv[4];
        return runPreview(argv[2]);
    }
    if (mode == "trust" && argc == 3) return trust(argv[2]);
    std::fprintf(stderr, "usage: wine_test_host preview SAVER STOP RESULT | trust CERTIFICATE\n");
    return 2;
}
