// Windows as components: the control base, forms, the application object and
// its hint machinery.
#pragma once

#include "toolkit/Classes.h"
#include "toolkit/Graphics.h"

#include <windows.h>
#include <shellapi.h>
#include <shtypes.h>

namespace tk {

class Form;
class Button;
class GraphicControl;
class PopupMenu;

// Shift keys and mouse buttons held during an input event.
enum ShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using ShiftState = unsigned;
ShiftState KeyboardShiftState();
enum class MouseButton { Left, Right, Middle };

// Pointer shapes; crDefault leaves the shape to the window below.
enum TCursor : int {
    crDefault = 0, crArrow = -2, crIBeam = -4, crDrag = -12, crNoDrop = -13, crHourGlass = -11, crAppStart = -19,
    crHandPoint = -21
};
HCURSOR CursorHandle(TCursor c);

// The screen's pointer: while it is not crDefault it wins over every
// control's own Cursor.
class Screen {
public:
    static TCursor Cursor();
    static void SetCursor(TCursor c);
};

// Sets the screen's pointer for a scope and puts the previous one back, so
// nested scopes form a stack.
class ScreenCursor {
public:
    explicit ScreenCursor(TCursor c) : previous_(Screen::Cursor()) { Screen::SetCursor(c); }
    ~ScreenCursor() { Screen::SetCursor(previous_); }
    ScreenCursor(const ScreenCursor&) = delete;
    ScreenCursor& operator=(const ScreenCursor&) = delete;

private:
    TCursor previous_;
};

struct CreateParams {
    std::string ClassName;     // window class; a system class is subclassed
    DWORD Style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD ExStyle = 0;
    bool OwnClass = false;     // registered by the toolkit, linked at WM_NCCREATE
};

// A windowed control. Its state lives in the object and is pushed to the
// window when the window is made, so windows can be re-created at will.
class Control : public Component {
public:
    explicit Control(Component* owner);
    ~Control() override;

    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    Control* Parent() const { return parent_; }
    void SetParent(Control* parent);
    const std::vector<Control*>& Controls() const { return children_; }
    Form* ParentForm();

    // Bounds within the parent's client area (the screen for a top-level
    // window); they follow the window when the system or the user moves it.
    void SetBounds(int left, int top, int width, int height);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    RECT ClientRect();

    // Caption and Text are the same window text, published under the name
    // that suits each control.
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& v) { SetText(v); }
    virtual std::string GetText() const;
    virtual void SetText(const std::string& v);
    std::string Hint() const { return hint_; }
    void SetHint(const std::string& v) { hint_ = v; }
    bool ShowHint = false;
    // Whether the pointer resting on the control shows its hint; a part of
    // a compound control may follow the whole.
    virtual bool ShowsHint() const { return ShowHint; }

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool v);
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int v) { tabOrder_ = v; }
    bool TabStop = false;
    int Id() const { return id_; }

    Font* GetFont() const { return font_.get(); }
    bool ParentFont = true;
    // The font the control shows: its own, or the nearest ancestor's.
    Font* EffectiveFontObject();

    // The control's own window; a windowless control has none.
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    void RecreateWnd();
    virtual void Invalidate();
    virtual bool Windowless() const { return false; }
    TCursor Cursor = crDefault;

    bool CanFocus();
    bool Focused() const { return handle_ && GetFocus() == handle_; }
    void SetFocus();

    // The control object behind a window, or behind its nearest ancestor.
    // The link is made when the toolkit creates the window and holds
    // whatever procedures others put in front of ours later.
    static Control* FromHandle(HWND wnd);
    static Control* FindControl(HWND wnd);
    // The control under a point of the screen, windowless ones included;
    // wnd is the window under the point when the caller knows it.
    static Control* ControlAtPos(POINT screen, HWND wnd = nullptr);
    // The topmost visible windowless child under a point of the client area.
    GraphicControl* GraphicChildAt(POINT client, bool enabledOnly = true);

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void(char& key)> OnKeyPress;
    // Setting the key to 0 consumes it.
    std::function<void(WORD& key, ShiftState shift)> OnKeyDown;
    std::function<void(WORD& key, ShiftState shift)> OnKeyUp;
    std::function<void(MouseButton button, ShiftState shift, int x, int y)> OnMouseDown;
    std::function<void(MouseButton button, ShiftState shift, int x, int y)> OnMouseUp;
    std::function<void(ShiftState shift, int x, int y)> OnMouseMove;
    // After the size changed, whoever changed it.
    std::function<void()> OnResize;

    // Shown by a right click over the control, at the pointer.
    PopupMenu* GetPopupMenu() const { return popupMenu_; }
    void SetPopupMenu(PopupMenu* menu);

    // Files dropped on the window from the shell, full paths in drop order.
    void SetAcceptFiles(bool accept);
    std::function<void(const std::vector<std::string>& names)> OnDropFiles;

    // Dragging one control onto another within the program: the drag runs
    // until the left button is released (a drop) or Escape or the right
    // button is pressed (no drop). Coordinates are the target's own.
    void BeginDrag();
    static bool Dragging();
    std::function<void(Control* source, int x, int y, bool& accept)> OnDragOver;
    std::function<void(Control* source, int x, int y)> OnDragDrop;
    // To the source when the drag is over; the target is null without a drop.
    std::function<void(Control* target, int x, int y)> OnEndDrag;

    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);

protected:
    virtual void CreateParamsFor(CreateParams& params) {}
    virtual void CreateWnd();
    // Runs once the window exists and before its children are made: pushes
    // the object's state into the window.
    virtual void InitWnd() {}
    // Called before the window is destroyed on purpose: pulls state that
    // lives in the window back into the object.
    virtual void SaveWndState() {}
    void DestroyHandle();
    virtual void FontChanged();
    // Notifications that the parent window got from this control.
    virtual bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }
    virtual void DoClick() { if (OnClick) OnClick(); }
    virtual void KeyDown(WORD& key, ShiftState shift) { if (OnKeyDown) OnKeyDown(key, shift); }
    virtual void KeyUp(WORD& key, ShiftState shift) { if (OnKeyUp) OnKeyUp(key, shift); }
    virtual void KeyPress(char& key) { if (OnKeyPress) OnKeyPress(key); }
    virtual void MouseDown(MouseButton b, ShiftState shift, int x, int y) { if (OnMouseDown) OnMouseDown(b, shift, x, y); }
    virtual void MouseUp(MouseButton b, ShiftState shift, int x, int y) { if (OnMouseUp) OnMouseUp(b, shift, x, y); }
    virtual void MouseMove(ShiftState shift, int x, int y) { if (OnMouseMove) OnMouseMove(shift, x, y); }
    virtual void Resize() { if (OnResize) OnResize(); }
    // A point of the screen in the control's own coordinates.
    POINT FromScreen(POINT screen);
    void Notification(Component* c, Operation op) override;
    HFONT EffectiveFont();
    // Paints the windowless children over a client-area DC.
    void PaintGraphicChildren(HDC dc, const RECT& update);

    std::string text_;

private:
    friend class Form;
    friend class Application;
    friend class GraphicControl;
    static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK OwnClassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    bool InputMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    bool RouteMouseToGraphic(UINT msg, WPARAM wp, LPARAM lp);
    void FollowWindowPos(const WINDOWPOS& pos);
    void SaveTreeState();
    void Forget();
    bool ShowPopupMenu(LPARAM lp);

    Control* parent_ = nullptr;
    std::vector<Control*> children_;
    HWND handle_ = nullptr;
    WNDPROC prevProc_ = nullptr;  // the system's procedure of a standard control
    bool ownClass_ = false;
    GraphicControl* mouseCapture_ = nullptr;  // windowless child that got the button
    GraphicControl* mouseOver_ = nullptr;     // windowless child under the pointer
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::string hint_;
    bool visible_ = true;
    bool enabled_ = true;
    int tabOrder_ = -1;
    int id_;
    std::unique_ptr<Font> font_;
    PopupMenu* popupMenu_ = nullptr;
    bool acceptFiles_ = false;
};

// A control without a window of its own: its parent (a form or a panel)
// paints it in the parent's client area and hands it the mouse.
class GraphicControl : public Control {
public:
    explicit GraphicControl(Component* owner);
    ~GraphicControl() override;
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    bool Windowless() const override { return true; }
    void Invalidate() override;
    void SetText(const std::string& v) override;
    void SetVisible(bool v) override;
    void SetEnabled(bool v) override;
    // The bounds on the screen.
    RECT ScreenRect();
    bool MouseInControl() const { return mouseInside_; }

    // Paints into a DC whose origin is the control's top-left corner,
    // clipped to its bounds, over the parent's background.
    virtual void Paint(HDC dc) {}
    // A left button pressed and released over the control.
    void Click() { DoClick(); }

protected:
    void CreateWnd() override {}
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    // Another window took the mouse between press and release.
    virtual void MouseCaptureLost() {}

private:
    friend class Control;
    bool mouseInside_ = false;
};

enum class BevelCut { None, Lowered, Raised };

// A plain child window that holds other controls: a face of its own colour,
// optionally framed by bevels and a sunken border.
class Panel : public Control {
public:
    explicit Panel(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }
    bool Border() const { return border_; }
    void SetBorder(bool v);
    COLORREF Color = clBtnFace;
    BevelCut BevelOuter = BevelCut::None;
    BevelCut BevelInner = BevelCut::None;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

protected:
    void CreateParamsFor(CreateParams& p) override;

private:
    bool border_ = false;
};

// The toolkit's own plain window class, for controls that paint themselves
// (CreateParams::OwnClass).
const char* PlainWindowClass();

enum class BorderStyle { None, Single, Sizeable, Dialog };
enum BorderIcons { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
enum class FormPosition { Designed, ScreenCenter, DesktopCenter, MainFormCenter };
enum class CloseAction { None, Hide, Free, Minimize };

constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
              mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

// The head of a form description: what the window itself looks like.
struct FormDescription {
    const char* Name;
    const char* Caption;
    int ClientWidth, ClientHeight;
    BorderStyle Border;
    int Icons;
    FormPosition Position;
};

class Form : public Control {
public:
    explicit Form(Component* owner);
    void Describe(const FormDescription& d);
    ~Form() override;

    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    void SetClientSize(int width, int height);
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    BorderStyle FormBorderStyle = BorderStyle::Sizeable;
    int FormBorderIcons = biSystemMenu | biMinimize | biMaximize;
    FormPosition Position = FormPosition::Designed;

    // Runs after the constructor has made every control: Loaded for every
    // owned component, then OnCreate. Application::CreateForm calls it.
    // makeWindow false leaves the window to be made when first needed
    // (shown, or a control's window asked for).
    void AfterConstruction(bool makeWindow = true);

    void Show();
    void Hide();
    void SetVisible(bool v) override;
    int ShowModal();
    bool Modal() const { return modal_; }
    void Close();
    int ModalResult = mrNone;

    Control* ActiveControl() const { return activeControl_; }
    void SetActiveControl(Control* c);
    bool SelectNext(bool forward);
    // Focuses the control that a label names by its marked letter (the
    // virtual key of Alt and that letter).
    bool FocusByMnemonic(WPARAM key);
    // Handles Tab, Enter and Escape for the form's controls; true when used.
    bool DialogKey(const MSG& msg);
    std::vector<Control*> TabList();

    std::function<void()> OnCreate;
    std::function<void()> OnShow;
    std::function<void(CloseAction&)> OnClose;

    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

protected:
    void CreateParamsFor(CreateParams& params) override;
    void InitWnd() override;
    void Notification(Component* c, Operation op) override;

private:
    friend class Control;
    void PlaceOnShow();
    Button* FindButton(bool isDefault);
    int clientWidth_ = 0, clientHeight_ = 0;
    bool modal_ = false;
    Control* activeControl_ = nullptr;
};

struct HintInfo {
    Control* HintControl = nullptr;
    POINT CursorPos{};
    int HideTimeout = 2500;
    std::string HintStr;
};

class ApplicationEvents;

// The application object: title, main form, event loop, hints, the standard
// error box.
class Application : public Component {
public:
    Application();
    ~Application() override;

    std::string Title = "";
    Form* MainForm = nullptr;
    // Made when first asked for: every top-level window costs start-up time.
    HWND Handle();

    template <class T>
    void CreateForm(T*& ref) {
        T* form = new T(this);
        ref = form;
        if (!MainForm) MainForm = form;
        // Every window made before the main one shows delays it; the others
        // wait until they are used.
        form->AfterConstruction(form == MainForm);
    }

    // Runs the event loop until the program is asked to end and returns the
    // exit code; afterwards the loop can run again (for in-process hosts).
    int Run();
    void Terminate();
    // Ends the event loop, wherever it runs, with an exit code.
    void Halt(int exitCode);
    bool Terminated() const { return terminated_; }
    int ExitCode() const { return exitCode_; }
    // Processes one message, waiting for it; false once the loop must end.
    bool HandleMessage();
    // Runs a call from the event loop, after what is queued now.
    void QueueCall(std::function<void()> call);
    void ProcessMessages();

    // Reports an error that a handler let through, in the standard box; an
    // EHalt ends the event loop instead. Call it from a catch block; it never
    // throws.
    void HandleException() noexcept;
    void ShowException(const std::string& message);

    int HintPause = 500;
    int HintHidePause = 2500;
    // Asks the application-events components for the hint of a control.
    HintInfo PrepareHint(Control* control, bool& canShow);
    void CancelHint();

    // Test seam: when set, ShowModal asks it for the modal result instead of
    // running a modal loop.
    std::function<int(Form&)> ModalResponder;

private:
    friend class ApplicationEvents;
    friend class Form;
    friend class Control;
    static LRESULT CALLBACK AppWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK HintWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    void PreTranslate(MSG& msg, bool& handled);
    void ShowHintNow();
    HWND HintWindow();
    HWND handle_ = nullptr;
    HWND hintWnd_ = nullptr;
    Control* hintControl_ = nullptr;
    std::string hintText_;
    bool terminated_ = false;
    int exitCode_ = 0;
    std::vector<std::function<void()>> queuedCalls_;
    std::vector<ApplicationEvents*> events_;
};

// Disables the thread's other visible windows for a scope, as a modal window
// does, and enables them again when it ends (or at Enable, if earlier).
class WindowsDisabled {
public:
    explicit WindowsDisabled(HWND keep);
    ~WindowsDisabled() { Enable(); }
    WindowsDisabled(const WindowsDisabled&) = delete;
    WindowsDisabled& operator=(const WindowsDisabled&) = delete;
    void Enable();

private:
    static BOOL CALLBACK Collect(HWND wnd, LPARAM lp);
    HWND keep_;
    std::vector<HWND> disabled_;
};

// The one application object of the process.
extern Application* App;

// The text of any window, whatever its length.
std::string WindowText(HWND wnd);

// A name the system hands over in UTF-16, in the process code page. A name
// that has no exact form there is refused with an Exception naming it: a
// look-alike could name another file.
std::string CarriedName(std::wstring_view name);
// The names in a shell drop, full paths in drop order, each whole and exact.
std::vector<std::string> DroppedFiles(HDROP drop);

// Destroys a component once the message being handled now is done: for one
// whose methods may still be running further up the stack. It leaves its
// owner at once, and a control is hidden meanwhile.
void Release(Component* c);

// Runs a callback of a system procedure (hook, enumeration, dialog or shell
// callback): an exception is reported as a handler's would be and never
// crosses the system's frames; the fallback is returned instead.
template <class R, class F>
R Guarded(R fallback, F&& f) noexcept {
    try {
        return f();
    } catch (...) {
        if (App) App->HandleException();
        return fallback;
    }
}

// Receives application-wide events; a handler may stop an event from
// reaching the components after it.
class ApplicationEvents : public Component {
public:
    explicit ApplicationEvents(Component* owner);
    ~ApplicationEvents() override;
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    std::function<void(std::string& hintStr, bool& canShow, HintInfo& hintInfo)> OnShowHint;
    void CancelDispatch() { cancelled_ = true; }

private:
    friend class Application;
    bool cancelled_ = false;
};

struct Bounds {
    int Left, Top, Width, Height;
};

// Makes a control of a form description: kind, name, parent, bounds, text,
// tab order. The form owns it.
template <class T>
T* Make(Component* owner, Control* parent, const char* name, Bounds b = {}, const std::string& text = {},
        int tabOrder = -1) {
    T* c = new T(owner);
    c->SetName(name);
    c->SetBounds(b.Left, b.Top, b.Width, b.Height);
    if (!text.empty()) c->SetText(text);
    c->SetTabOrder(tabOrder);
    c->SetParent(parent);
    return c;
}

// Appends "." to an error message for the standard error box unless its last
// character already sorts at or before ".".
std::string ExceptionBoxText(const std::string& message);

// The program's own folder, ending in a backslash.
std::string ModuleFolder();

}  // namespace tk
