// The About box: not modal, one more box for every choice of the command; the program keeps no
// hold on them. Only its OK button closes a box: the title bar's close button does nothing. Its
// credits name the player's version.
#include <string>

#include "shell/shell.h"

static void onAboutOk(GtkButton*, gpointer box) {
  gtk_widget_destroy(GTK_WIDGET(box));
}

static gboolean keepAboutOpen(GtkWidget*, GdkEvent*, gpointer) {
  return TRUE;
}

void showAboutBox() {
  const uint8_t* text = nullptr;
  size_t size = 0;
  if (!findResource("ABOUT", &text, &size)) return;
  GtkBuilder* builder = gtk_builder_new();
  if (gtk_builder_add_from_string(builder, reinterpret_cast<const char*>(text), size, nullptr)) {
    GtkWidget* box = GTK_WIDGET(gtk_builder_get_object(builder, "about"));
    GtkWidget* ok = GTK_WIDGET(gtk_builder_get_object(builder, "ok"));
    std::string player = std::string("Desktop player: qvkavi ") + programVersion();
    gtk_label_set_text(GTK_LABEL(gtk_builder_get_object(builder, "player")), player.c_str());
    if (shell.mainWindow)
      gtk_window_set_transient_for(GTK_WINDOW(box), GTK_WINDOW(shell.mainWindow));
    g_signal_connect(ok, "clicked", G_CALLBACK(onAboutOk), box);
    g_signal_connect(box, "delete-event", G_CALLBACK(keepAboutOpen), nullptr);
    gtk_widget_grab_default(ok);
    gtk_widget_show(box);
  }
  g_object_unref(builder);
}
