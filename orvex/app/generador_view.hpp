// The generator window's Qt view: widgets bound to the window's logic.
#pragma once

#include <QDialog>

#include "orvex/generador.hpp"

class QButtonGroup;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace orvex {

class GeneradorView : public QDialog {
    Q_OBJECT
  public:
    GeneradorView(Generador& logica, QWidget* parent = nullptr);

    // Shows the logic's state in the widgets.
    void refrescar();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Enter and Esc do nothing here: the window has no default button, and
    // only the close box and "Salir" leave it.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QGridLayout* construir_pasos();
    QGroupBox* construir_instrucciones();
    QHBoxLayout* construir_pie();
    void conectar();
    void generar();
    void mostrar_progreso(std::uint64_t hecho, std::uint64_t total);

    Generador& logica_;
    QListWidget* ListDj_;
    QLabel* lblglosaform_;
    QComboBox* CmbAnot_;
    QLineEdit* txt_archivo_;
    QPushButton* cmd_buscar_;
    QPushButton* Cmd_Generar_;
    QRadioButton* Opt_FmtReg_;
    QRadioButton* Opt_SetVal_;
    QRadioButton* Opt_InstGral_;
    QPushButton* Cmd_Editar_;
    QPushButton* CmdSalir_;
    QLineEdit* prueba_;
    QProgressBar* progreso_;
    QLabel* estado_;
};

}  // namespace orvex
