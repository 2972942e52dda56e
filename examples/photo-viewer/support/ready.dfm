object Ready: TForm
  Left = 0
  Top = 0
  BorderStyle = bsSingle
  Caption = '$TITLE$ Setup'
  ClientHeight = 360
  ClientWidth = 500
  Color = clWhite
  object Heading: TLabel
    Left = 24
    Top = 24
    Width = 452
    Height = 20
    Caption = 'Ready to install'
  end
  object Intro: TLabel
    Left = 24
    Top = 64
    Width = 452
    Height = 20
    Caption = 'The setup installs $TITLE$ into $TARGETDIR$.'
  end
  object BackButton: TButton
    Left = 232
    Top = 320
    Width = 80
    Height = 25
    Caption = '< &Back'
    Tag = 2
  end
  object NextButton: TButton
    Left = 320
    Top = 320
    Width = 80
    Height = 25
    Caption = '&Install'
    Tag = 1
  end
  object CancelButton: TButton
    Left = 408
    Top = 320
    Width = 80
    Height = 25
    Caption = 'Cancel'
    Tag = 3
  end
end
