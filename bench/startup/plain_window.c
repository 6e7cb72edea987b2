/* The converter's window written as plainly as Win32 allows: C, the C
 * runtime only, the same window classes, styles, controls, places, texts,
 * fonts (in the Simplified-Chinese UI face), manifest and icon, with no
 * behaviour behind them. It is the floor that the converter's start-up time,
 * working set and size are measured against (bench/startup.sh). */
#include <windows.h>
#include <commctrl.h>

enum { kFontHeight = -11, kDesignDpi = 96 };

typedef struct {
    const wchar_t* class_name;
    const wchar_t* text;
    DWORD style;
    DWORD ex_style;
    int id, left, top, width, height;
    int font; /* 0: the window's; 1: the red arrow's; 2: the credit's */
} Row;

/* Creation order is stacking and tab order. Labels take the size of their text. */
static const Row kRows[] = {
    {L"Static", L"＝》", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0, 101, 96, 11, 24, 13, 1},
    {L"Static", L"厘米", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0, 102, 64, 11, 24, 13, 0},
    {L"Static", L"尺", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0, 103, 168, 11, 12, 13, 0},
    {L"Static", L"寸", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0, 104, 232, 11, 12, 13, 0},
    {L"Static", L"澄岩社 荣誉出品", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0, 108, 160, 93,
     87, 13, 2},
    {L"Edit", L"0", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE,
     111, 8, 8, 49, 21, 0},
    {L"Edit", L"0", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE,
     112, 120, 8, 41, 21, 0},
    {L"Button", L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX, 0, 120, 8, 29, 241, 60, 0},
    {L"Button", L"厘米转化为尺、寸", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 0, 121,
     16, 40, 113, 17, 0},
    {L"Button", L"尺、寸转化为厘米", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 0, 122, 16, 64, 113, 17, 0},
    {L"Edit", L"0", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE,
     113, 184, 8, 41, 21, 0},
    {L"Button", L"转化", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 0, 130, 152, 56, 75, 25,
     0},
};

static HFONT fonts[3];

static LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        RECT rect;
        HDC dc = BeginPaint(hwnd, &ps);
        GetClientRect(hwnd, &rect);
        DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN) {
        HDC dc = (HDC)wparam;
        const int id = GetDlgCtrlID((HWND)lparam);
        SetTextColor(dc, id == 101 ? RGB(255, 0, 0) : GetSysColor(COLOR_WINDOWTEXT));
        if (id <= 108) {
            SetBkMode(dc, TRANSPARENT); /* the labels */
        } else {
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        }
        return (LRESULT)GetSysColorBrush(COLOR_BTNFACE);
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

/* A group box paints only its frame; the panel does not paint under it. */
static LRESULT CALLBACK GroupProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR id, DWORD_PTR data) {
    (void)id;
    (void)data;
    if (msg == WM_ERASEBKGND) {
        RECT rect;
        GetClientRect(hwnd, &rect);
        FillRect((HDC)wparam, &rect, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return DefSubclassProc(hwnd, msg, wparam, lparam);
}

static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_ACTIVATE && LOWORD(wparam) != WA_INACTIVE && !HIWORD(wparam)) {
        HWND first = GetNextDlgTabItem(hwnd, NULL, FALSE);
        SetFocus(first);
        SendMessageW(first, EM_SETSEL, 0, -1);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

static HFONT MakeFont(int dpi) {
    LOGFONTW lf = {0};
    lf.lfHeight = MulDiv(kFontHeight, dpi, kDesignDpi);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = NONANTIALIASED_QUALITY;
    lstrcpyW(lf.lfFaceName, L"Microsoft YaHei UI");
    return CreateFontIndirectW(&lf);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR command_line, int show_command) {
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    WNDCLASSEXW wc = {0};
    HDC screen;
    int dpi, i;
    RECT rect;
    HWND form, panel;
    MSG msg;
    (void)previous;
    (void)command_line;

    InitCommonControlsEx(&controls);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FormProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"TForm1";
    RegisterClassExW(&wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = PanelProc;
    wc.lpszClassName = L"TPanel";
    RegisterClassExW(&wc);

    screen = GetDC(NULL);
    dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
    SetRect(&rect, 0, 0, MulDiv(256, dpi, kDesignDpi), MulDiv(112, dpi, kDesignDpi));
    AdjustWindowRectEx(&rect, style, FALSE, WS_EX_CONTROLPARENT);
    form = CreateWindowExW(WS_EX_CONTROLPARENT, L"TForm1", L"厘米《＝》尺、寸 转化", style, 384, 279,
                           rect.right - rect.left, rect.bottom - rect.top, NULL, NULL, instance, NULL);
    SendMessageW(form, WM_SETICON, ICON_BIG,
                 (LPARAM)LoadImageW(instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                    GetSystemMetrics(SM_CYICON), 0));
    SendMessageW(form, WM_SETICON, ICON_SMALL,
                 (LPARAM)LoadImageW(instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                    GetSystemMetrics(SM_CYSMICON), 0));
    for (i = 0; i < 3; ++i) fonts[i] = MakeFont(dpi);
    SendMessageW(form, WM_SETFONT, (WPARAM)fonts[0], FALSE);

    GetClientRect(form, &rect);
    panel = CreateWindowExW(WS_EX_CONTROLPARENT, L"TPanel", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                            rect.right, rect.bottom, form, (HMENU)100, instance, NULL);
    for (i = 0; i < (int)(sizeof kRows / sizeof kRows[0]); ++i) {
        const Row* row = &kRows[i];
        HWND control = CreateWindowExW(row->ex_style, row->class_name, row->text, row->style,
                                       MulDiv(row->left, dpi, kDesignDpi), MulDiv(row->top, dpi, kDesignDpi),
                                       MulDiv(row->width, dpi, kDesignDpi), MulDiv(row->height, dpi, kDesignDpi),
                                       panel, (HMENU)(INT_PTR)row->id, instance, NULL);
        SendMessageW(control, WM_SETFONT, (WPARAM)fonts[row->font], FALSE);
        if (row->style & SS_NOTIFY && lstrcmpW(row->class_name, L"Static") == 0) {
            SIZE size = {0, 0};
            HDC dc = GetDC(control);
            HGDIOBJ old = SelectObject(dc, fonts[row->font]);
            GetTextExtentPoint32W(dc, row->text, lstrlenW(row->text), &size);
            SelectObject(dc, old);
            ReleaseDC(control, dc);
            SetWindowPos(control, NULL, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (row->id == 111 || row->id == 112 || row->id == 113) SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
        if (row->id == 120) {
            SetWindowSubclass(control, GroupProc, 1, 0);
            SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        if (row->id == 121) SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
    }

    ShowWindow(form, show_command);
    UpdateWindow(form);
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        if (IsDialogMessageW(form, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    for (i = 0; i < 3; ++i) DeleteObject(fonts[i]);
    return 0;
}
