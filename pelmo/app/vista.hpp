// The editor's Qt windows: the frame MDIFormDJ with its five child windows in
// an MDI area, the button bar and the error window beside it. The widgets are
// bound to the window logic of pelmo::Editor, which they show after every event.
#pragma once

#include <QMainWindow>
#include <QObject>
#include <QTimer>
#include <map>

#include "pelmo/comun.hpp"

class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QMdiArea;
class QMdiSubWindow;
class QToolButton;
class QWidget;

namespace pelmo {

class Editor;
class Vista;

// The main frame: refuses to close, and hands its size changes to the
// resize rule.
class MarcoVentana : public QMainWindow {
  public:
    explicit MarcoVentana(Vista& vista) : vista_(vista) {}

  protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void changeEvent(QEvent* e) override;

  private:
    Vista& vista_;
};

class Vista : public QObject, public Pantalla {
  public:
    Vista();
    ~Vista() override;

    // Binds the widgets to the editor's logic (before its start-up runs).
    void enlazar(Editor& editor);
    // Shows the logic's state in the widgets.
    void refrescar();
    // The resize rule over the three top-level windows.
    void aplicar_regla();

    // Pantalla.
    void DesplazaVentana(int tecla) override;
    void enfocar(Foco foco) override;
    void colocar(Ventana ventana, Rect r) override;
    void eventos() override;
    void temporizador(bool activo, int intervalo_ms) override;
    void ocupado(bool activo) override;
    void habilitar(bool activo) override;
    void beep() override;

    MarcoVentana* marco() const { return marco_; }
    QWidget* botones() const { return botones_; }
    QWidget* errores() const { return errores_; }
    QDialog* leyenda() const { return leyenda_; }
    QMdiArea* area() const { return area_; }
    // The widget of a field (nullptr when none).
    QWidget* widget(Foco f) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void construir_encabezado(QWidget* w);
    void construir_representante(QWidget* w);
    void construir_informados(QWidget* w);
    void construir_totales(QWidget* w);
    void construir_botones();
    void construir_errores();
    void construir_leyenda();
    QLineEdit* campo(QWidget* parent, const char* nombre, Foco foco, Rect r);
    void terminar_si_corresponde();

    Editor* editor_ = nullptr;
    MarcoVentana* marco_;
    QMdiArea* area_;
    std::map<Ventana, QMdiSubWindow*> hijas_;
    QWidget* botones_;
    QWidget* errores_;
    QListWidget* List1_ = nullptr;
    QDialog* leyenda_ = nullptr;
    bool ocupado_ = false;
    QLabel* titulo_errores_ = nullptr;
    QLabel* descripcion_ = nullptr;
    QLabel* lblFolio_ = nullptr;
    QComboBox* cmbComuna_ = nullptr;
    QComboBox* Combos_ = nullptr;
    QLineEdit* txtOriginal_ = nullptr;
    QLineEdit* txtRutAnterior_ = nullptr;
    QLineEdit* txtDvAnterior_ = nullptr;
    QLineEdit* txtFolioAnterior_ = nullptr;
    QLineEdit* TXTINDICE_[3] = {};
    std::map<QObject*, Foco> focos_;    // widget -> field
    std::map<QObject*, int> acciones_;  // buttons of the bar -> index
    QTimer TKEy_;
    bool aplicando_ = false;
};

}  // namespace pelmo
