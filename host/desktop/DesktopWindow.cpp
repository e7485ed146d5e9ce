#include "host/desktop/DesktopWindow.h"

#include <gdk/gdk.h>

#include <exception>
#include <utility>

namespace host {
namespace {

constexpr int kClientWidth = 582;
constexpr int kClientHeight = 280;

// White 12-pixel text in the "宋体" family on #494949; fontconfig takes the next family
// the system has where that one is missing.
constexpr const char* kStyle =
    "window.exam-host, window.exam-host viewport, window.exam-host eventbox { background-color: #494949; }\n"
    "window.exam-host label { color: #ffffff; font-size: 12px; font-family: \"宋体\", \"SimSun\", "
    "\"Noto Serif CJK SC\", \"Noto Sans CJK SC\", \"WenQuanYi Zen Hei\", \"WenQuanYi Micro Hei\", serif; }\n"
    "window.exam-host label.large { font-size: 19px; }\n";

void applyStyle(GtkWidget* window) {
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, kStyle, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(window), GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
    gtk_style_context_add_class(gtk_widget_get_style_context(window), "exam-host");
}

GtkWidget* findNamed(GtkWidget* widget, std::string_view name) {
    if (name == gtk_widget_get_name(widget)) return widget;
    if (!GTK_IS_CONTAINER(widget)) return nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    GtkWidget* found = nullptr;
    for (GList* child = children; child != nullptr && found == nullptr; child = child->next) {
        found = findNamed(GTK_WIDGET(child->data), name);
    }
    g_list_free(children);
    return found;
}

// The candidates' addresses on one line; all of them, one a line, in the tooltip.
std::pair<std::string, std::string> addressTexts(const std::vector<std::string>& addresses) {
    std::string line = "本机地址：";
    std::string all;
    for (const std::string& address : addresses) {
        line += (&address == &addresses.front() ? "" : "  ") + address;
        all += (all.empty() ? "" : "\n") + address;
    }
    return {line, all};
}

void setHandCursor(GtkWidget* box) {
    GdkDisplay* display = gtk_widget_get_display(box);
    GdkCursor* hand = gdk_cursor_new_from_name(display, "pointer");
    if (hand == nullptr) return;
    gdk_window_set_cursor(gtk_widget_get_window(box), hand);
    g_object_unref(hand);
}

// A task handed from the version check's thread to the GTK thread.
struct PostedTask {
    std::weak_ptr<void> alive;
    std::function<void()> run;
};

gboolean runPosted(gpointer data) {
    auto* task = static_cast<PostedTask*>(data);
    if (!task->alive.expired()) task->run();
    return G_SOURCE_REMOVE;
}

void freePosted(gpointer data) {
    std::unique_ptr<PostedTask> owned(static_cast<PostedTask*>(data));
}

}  // namespace

DesktopWindow::DesktopWindow(DesktopWindowSettings settings) : settings_(std::move(settings)) {
    build();
    form_ = std::make_unique<TForm9>(settings_.port, platform());
}

DesktopWindow::~DesktopWindow() {
    // The version check ends first, so nothing more is handed over.
    form_.reset();
    alive_.reset();
    if (!abandoned_ && window_ != nullptr) gtk_widget_destroy(window_);
}

void DesktopWindow::build() {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    applyStyle(window_);
    TForm9 texts(settings_.port, {});
    gtk_window_set_title(GTK_WINDOW(window_), texts.Texts().caption.c_str());
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
    g_signal_connect(window_, "delete-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
                         static_cast<DesktopWindow*>(self)->RequestClose();
                         return TRUE;
                     }),
                     this);

    // The client area is exactly 582 x 280; the news view reaches past its left and
    // right edges and is cut there, so the scrolled window only clips.
    GtkWidget* clip = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(clip), GTK_POLICY_EXTERNAL, GTK_POLICY_EXTERNAL);
    gtk_widget_set_size_request(clip, kClientWidth, kClientHeight);
    fixed_ = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(clip), fixed_);
    if (GtkWidget* viewport = gtk_bin_get_child(GTK_BIN(clip)); GTK_IS_VIEWPORT(viewport)) {
        gtk_viewport_set_shadow_type(GTK_VIEWPORT(viewport), GTK_SHADOW_NONE);
    }
    gtk_container_add(GTK_CONTAINER(window_), clip);

    const TForm9Texts& text = texts.Texts();
    placeNewsView();
    placeLabel("Label1", text.label1, 528, 8, -1, -1);
    placeLabel("mver", text.mver, 552, 8, -1, -1);
    placeLabel("Label5", text.label5, 128, 200, 444, 24);
    gtk_label_set_line_wrap(GTK_LABEL(Control("Label5")), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(Control("Label5")), PANGO_WRAP_WORD_CHAR);
    placeLink("Label4", text.label4, 0, 206, 114, 19, &DesktopWindow::Label4Click);
    gtk_style_context_add_class(gtk_widget_get_style_context(Control("Label4")), "large");
    // Where the window says "本计算机IP地址", the addresses themselves.
    auto [line, all] = addressTexts(settings_.addresses);
    placeLabel("Label6", line, 128, 232, 444, 14);
    gtk_label_set_ellipsize(GTK_LABEL(Control("Label6")), PANGO_ELLIPSIZE_END);
    gtk_widget_set_tooltip_text(Control("Label6"), all.c_str());
    placeLabel("Label2", text.label2, 128, 256, -1, -1);
    placeLink("Label3", text.label3, 504, 256, -1, -1, &DesktopWindow::Label3Click);
}

void DesktopWindow::placeLabel(const char* name, const std::string& text, int left, int top, int width,
                               int height) {
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_widget_set_name(label, name);
    gtk_label_set_xalign(GTK_LABEL(label), 0);
    gtk_label_set_yalign(GTK_LABEL(label), 0);
    gtk_widget_set_size_request(label, width, height);
    gtk_fixed_put(GTK_FIXED(fixed_), label, left, top);
}

void DesktopWindow::placeLink(const char* name, const std::string& text, int left, int top, int width,
                              int height, void (DesktopWindow::*click)()) {
    GtkWidget* box = gtk_event_box_new();
    gtk_widget_set_name(box, (std::string(name) + "Box").c_str());
    gtk_fixed_put(GTK_FIXED(fixed_), box, left, top);
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_widget_set_name(label, name);
    gtk_label_set_xalign(GTK_LABEL(label), 0);
    gtk_label_set_yalign(GTK_LABEL(label), 0);
    gtk_widget_set_size_request(label, width, height);
    gtk_container_add(GTK_CONTAINER(box), label);
    g_signal_connect(box, "realize", G_CALLBACK(setHandCursor), nullptr);
    // The member to call rides in the box's data, the window in the handler's.
    using Click = void (DesktopWindow::*)();
    g_object_set_data_full(G_OBJECT(box), "click", std::make_unique<Click>(click).release(),
                           [](gpointer data) { std::unique_ptr<Click> owned(static_cast<Click*>(data)); });
    g_signal_connect(box, "button-release-event",
                     G_CALLBACK(+[](GtkWidget* widget, GdkEventButton* event, gpointer self) -> gboolean {
                         if (event->button != GDK_BUTTON_PRIMARY) return FALSE;
                         auto* member = static_cast<Click*>(g_object_get_data(G_OBJECT(widget), "click"));
                         (static_cast<DesktopWindow*>(self)->**member)();
                         return TRUE;
                     }),
                     this);
}

void DesktopWindow::placeNewsView() {
    WebKitSettings* webSettings = webkit_settings_new();
    // A news page needs no GPU; drawing in software also works on servers without one.
    webkit_settings_set_hardware_acceleration_policy(webSettings, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    news_ = WEBKIT_WEB_VIEW(webkit_web_view_new_with_settings(webSettings));
    g_object_unref(webSettings);
    GtkWidget* view = GTK_WIDGET(news_);
    gtk_widget_set_name(view, "WebBrowser1");
    gtk_widget_set_size_request(view, 600, 160);
    gtk_fixed_put(GTK_FIXED(fixed_), view, -3, 31);
    g_signal_connect(view, "web-process-terminated",
                     G_CALLBACK(+[](WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer self) {
                         static_cast<DesktopWindow*>(self)->newsStopped(
                             reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT ? "it ran out of memory"
                                                                                : "its web process ended");
                     }),
                     this);
    g_signal_connect(view, "load-failed",
                     G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error,
                                    gpointer self) -> gboolean {
                         static_cast<DesktopWindow*>(self)->report(
                             std::string("The news page ") + uri +
                             " could not be shown: " + (error != nullptr ? error->message : "unknown error"));
                         return FALSE;
                     }),
                     this);
}

TForm9Platform DesktopWindow::platform() {
    TForm9Platform platform;
    platform.fetch = settings_.fetch;
    platform.showMessage = [this](const std::string& text) {
        post([text](DesktopWindow& window) { window.showMessage(text); });
    };
    platform.navigate = [this](const std::string& url) {
        post([url](DesktopWindow& window) { window.navigate(url); });
    };
    platform.launchBrowser = settings_.launcher;
    return platform;
}

void DesktopWindow::post(std::function<void(DesktopWindow&)> task) {
    // `this` is only reached while `alive_` holds, which the GTK thread alone can end.
    auto posted = std::make_unique<PostedTask>(PostedTask{alive_, [this, task] { task(*this); }});
    // Always queued: invoking could run the task on this thread when GTK's is idle.
    g_idle_add_full(G_PRIORITY_DEFAULT, runPosted, posted.release(), freePosted);
}

void DesktopWindow::Show() {
    if (settings_.minimize) gtk_window_iconify(GTK_WINDOW(window_));
    gtk_widget_show_all(window_);
    form_->Show();
}

GtkWidget* DesktopWindow::Control(std::string_view name) const {
    return findNamed(window_, name);
}

void DesktopWindow::showMessage(const std::string& text) {
    if (closed_) return;
    // The text comes from the network: shown as plain text, never as markup.
    GtkWidget* box = gtk_message_dialog_new(GTK_WINDOW(window_), GTK_DIALOG_MODAL, GTK_MESSAGE_INFO,
                                            GTK_BUTTONS_NONE, "%s", text.c_str());
    gtk_dialog_add_button(GTK_DIALOG(box), "确定", GTK_RESPONSE_OK);
    gtk_window_set_title(GTK_WINDOW(box), std::string(kProgramTitle).c_str());
    dialog_ = box;
    confirming_ = false;
    g_signal_connect(box, "response", G_CALLBACK(+[](GtkDialog*, gint response, gpointer self) {
                         static_cast<DesktopWindow*>(self)->dialogAnswered(response);
                     }),
                     this);
    gtk_widget_show_all(box);
}

void DesktopWindow::navigate(const std::string& url) {
    if (closed_ || news_ == nullptr) return;
    // The news follows the message box once it is confirmed.
    if (dialog_ != nullptr && !confirming_) {
        pendingNews_ = url;
        return;
    }
    webkit_web_view_load_uri(news_, url.c_str());
}

void DesktopWindow::RequestClose() {
    if (closed_ || confirming_) return;
    if (!settings_.candidatesInExam || settings_.candidatesInExam() == 0) {
        closeNow();
        return;
    }
    askBeforeClosing();
}

void DesktopWindow::askBeforeClosing() {
    if (dialog_ != nullptr) gtk_widget_destroy(std::exchange(dialog_, nullptr));
    GtkWidget* box = gtk_message_dialog_new(GTK_WINDOW(window_), GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION,
                                            GTK_BUTTONS_NONE, "%s", std::string(kCloseQuestion).c_str());
    gtk_dialog_add_button(GTK_DIALOG(box), "取消", GTK_RESPONSE_CANCEL);
    gtk_dialog_add_button(GTK_DIALOG(box), "确定", GTK_RESPONSE_OK);
    // An accidental Enter keeps the service running.
    gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_CANCEL);
    gtk_window_set_title(GTK_WINDOW(box), std::string(kProgramTitle).c_str());
    dialog_ = box;
    confirming_ = true;
    g_signal_connect(box, "response", G_CALLBACK(+[](GtkDialog*, gint response, gpointer self) {
                         static_cast<DesktopWindow*>(self)->dialogAnswered(response);
                     }),
                     this);
    gtk_widget_show_all(box);
}

void DesktopWindow::dialogAnswered(int response) {
    bool wasConfirming = std::exchange(confirming_, false);
    gtk_widget_destroy(std::exchange(dialog_, nullptr));
    if (wasConfirming) {
        if (response == GTK_RESPONSE_OK) closeNow();
        return;
    }
    if (!pendingNews_.empty()) navigate(std::exchange(pendingNews_, {}));
}

void DesktopWindow::closeNow() {
    if (closed_) return;
    closed_ = true;
    gtk_widget_hide(window_);
    if (onClosed_) onClosed_();
}

void DesktopWindow::newsStopped(const std::string& why) {
    report("The news view stopped (" + why + "); the server goes on without it.");
    if (news_ != nullptr) gtk_widget_hide(GTK_WIDGET(news_));
    news_ = nullptr;
}

void DesktopWindow::report(const std::string& line) const {
    if (settings_.report) settings_.report(line);
}

void DesktopWindow::launch(void (TForm9::*click)()) {
    try {
        ((*form_).*click)();
    } catch (const std::exception& error) {
        report(error.what());
    }
}

void DesktopWindow::Label3Click() {
    launch(&TForm9::Label3Click);
}

void DesktopWindow::Label4Click() {
    launch(&TForm9::Label4Click);
}

bool DesktopWindow::SaveSnapshot(const std::string& pngFile) const {
    GdkWindow* window = gtk_widget_get_window(window_);
    if (window == nullptr || !gtk_widget_get_visible(window_)) return false;
    GdkPixbuf* shot =
        gdk_pixbuf_get_from_window(window, 0, 0, gdk_window_get_width(window), gdk_window_get_height(window));
    if (shot == nullptr) return false;
    bool saved = gdk_pixbuf_save(shot, pngFile.c_str(), "png", nullptr, nullptr);
    g_object_unref(shot);
    return saved;
}

}  // namespace host
