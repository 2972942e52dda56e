object Maintenance: TForm
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
    Caption = 'Change the installation of $TITLE$'
  end
  object BtnRepair: TButton
    Left = 144
    Top = 320
    Width = 80
    Height = 25
    Caption = '&Repair'
    Tag = 5
  end
  object BtnRemove: TButton
    Left = 232
    Top = 320
    Width = 80
    Height = 25
    Caption = 'Re&move'
    Tag = 5
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
